#!/usr/bin/env bash
# Builds velmora.exe and velmora_wine_tests.exe a second time, from a copy of
# the sources in another folder, into another build folder, with another time
# zone and SOURCE_DATE_EPOCH and newer file times, packs that tree with
# tools/dist.sh, and compares the archives byte for byte with those of the
# tree under test: where and when a build ran must not reach them.
# Usage: reproducible.sh SOURCE_DIR TREE_DIR TOOLCHAIN_FILE BUILD_TYPE
set -eu
source_dir=$1 tree=$2 toolchain=$3 build_type=$4
scratch=$(mktemp -d "${TMPDIR:-/tmp}/velmora-reproducible.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
copy=$scratch/elsewhere/source

# The archives of the tree under test, as make dist makes them.
TZ=America/St_Johns bash "$source_dir/tools/dist.sh" "$tree" "$scratch/first" >/dev/null

# The copy's files get the time of copying (tar -m), not the originals'.
mkdir -p "$copy"
(cd "$source_dir" && tar --exclude=./build --exclude=./dist --exclude=./.git -cf - .) | tar -xmf - -C "$copy"
export TZ=Pacific/Kiritimati SOURCE_DATE_EPOCH=1234567890
if ! { cmake -S "$copy" -B "$scratch/b" -DCMAKE_BUILD_TYPE="$build_type" \
         -DCMAKE_TOOLCHAIN_FILE="$copy/cmake/${toolchain##*/}" -DVELMORA_WINE_TESTS=OFF &&
       cmake --build "$scratch/b" -j 2 --target velmora velmora_wine_tests; } >"$scratch/build.log" 2>&1; then
  tail -n 40 "$scratch/build.log"
  echo "The second build failed." >&2
  exit 1
fi
bash "$copy/tools/dist.sh" "$scratch/b" "$scratch/second" >/dev/null

status=0
names=$(cd "$scratch/first" && ls)
[ "$(echo "$names" | wc -w)" -eq 4 ] || { echo "Expected four files, got: $names" >&2; exit 1; }
[ "$names" = "$(cd "$scratch/second" && ls)" ] || { echo "The two trees' archives have other names." >&2; exit 1; }
for name in $names; do
  cmp "$scratch/first/$name" "$scratch/second/$name" || status=1
done
if [ $status -ne 0 ]; then
  # Which program differs, to start from.
  cmp "$tree/velmora.exe" "$scratch/b/velmora.exe" || true
  cmp "$tree/tests/velmora_wine_tests.exe" "$scratch/b/tests/velmora_wine_tests.exe" || true
  echo "The archives differ. Is $tree built from the current sources (make win)?" >&2
fi
exit $status
