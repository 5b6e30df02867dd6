#!/usr/bin/env bash
# Writes the release archives of a 32-bit build tree into OUT_DIR:
#   velmora-VERSION-win32.zip        velmora.exe, README.txt, LICENSE, THIRD-PARTY.txt
#   velmora-VERSION-win32-tests.zip  velmora_wine_tests.exe, TESTS.txt, THIRD-PARTY.txt
# each with a .sha256 beside it in sha256sum's format.
# Usage: dist.sh BUILD_DIR OUT_DIR
set -eu
build=$1 out=$2
root=$(cd "$(dirname "$0")/.." && pwd)

# The number lives in one place: the version record of velmora.exe.
version=$(sed -n 's/^ *FILEVERSION *\([0-9]*\) *, *\([0-9]*\) *, *\([0-9]*\) *, *\([0-9]*\) *\r\{0,1\}$/\1.\2.\3.\4/p' \
  "$root/resources/velmora.rc")
if ! [[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
  echo "dist.sh: no single FILEVERSION a,b,c,d line in resources/velmora.rc" >&2
  exit 1
fi
mkdir -p "$out"

# Two builds of one commit give the same archives: entries in a fixed order,
# with a fixed date and mode and no extra fields, so nothing of when, where
# or by whom the archive was made gets in.
python3 - "$root" "$build" "$out" "$version" <<'EOF'
import hashlib, os, sys, zipfile
root, build, out, version = sys.argv[1:]

def read(path):
    with open(path, 'rb') as f:
        return f.read()

def program(path):
    data = read(path)
    pe = int.from_bytes(data[0x3C:0x40], 'little')
    if data[pe:pe + 6] != b'PE\0\0\x4c\x01':  # the i386 machine type
        sys.exit(f'dist.sh: {path} is not a 32-bit Windows program')
    return data

def text(path):
    # Notepad on Windows XP shows a file of bare LFs as one line.
    data = read(path).replace(b'@VERSION@', version.encode())
    return data.replace(b'\r\n', b'\n').replace(b'\n', b'\r\n')

def archive(name, members):
    path = os.path.join(out, name)
    with zipfile.ZipFile(path + '.part', 'w') as z:
        for entry, data in members:
            info = zipfile.ZipInfo(entry, date_time=(2026, 1, 1, 0, 0, 0))
            info.create_system = 3  # Unix, so that the mode below means rw-r--r--
            info.external_attr = 0o100644 << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data, compresslevel=9)
    os.replace(path + '.part', path)
    with open(path + '.sha256', 'w', newline='\n') as f:
        f.write(f'{hashlib.sha256(read(path)).hexdigest()}  {name}\n')
    print(path)

archive(f'velmora-{version}-win32.zip', [
    ('velmora.exe', program(os.path.join(build, 'velmora.exe'))),
    ('README.txt', text(os.path.join(root, 'resources', 'README.txt'))),
    ('LICENSE', text(os.path.join(root, 'LICENSE'))),
    ('THIRD-PARTY.txt', text(os.path.join(root, 'resources', 'THIRD-PARTY.txt'))),
])
archive(f'velmora-{version}-win32-tests.zip', [
    ('velmora_wine_tests.exe', program(os.path.join(build, 'tests', 'velmora_wine_tests.exe'))),
    ('TESTS.txt', text(os.path.join(root, 'resources', 'TESTS.txt'))),
    ('THIRD-PARTY.txt', text(os.path.join(root, 'resources', 'THIRD-PARTY.txt'))),
])
EOF
