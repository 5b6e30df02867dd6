#!/usr/bin/env bash
# The committed icons and mock-ups are what tools/ draws today, byte for byte:
# a picture touched up by hand, or a drawing changed without its files, fails.
set -eu
root=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
python3 "$root/tools/icons/generate_icons.py" "$out" >/dev/null
python3 "$root/tools/mockups/generate_mockups.py" "$out" >/dev/null
# Every picture in resources/ has a generator, and every generated one is committed.
diff <(cd "$root/resources" && ls -- *.ico *.bmp) <(cd "$out" && ls)
for file in "$out"/*; do
  cmp -- "$file" "$root/resources/${file##*/}"
done
