#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need,
# when any is missing. As another user it says what to install instead.
set -eu
# velmora.exe is 32-bit: wine32 (i386) runs it, where the kernel lets it.
packages=(cmake make g++ libgtest-dev googletest mingw-w64 g++-mingw-w64-i686-posix
          g++-mingw-w64-x86-64-posix wine wine64 wine32:i386 xvfb openbox xdotool x11-utils
          imagemagick libjpeg-turbo-progs python3 clang libclang-rt-14-dev zip)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Install them as root: dpkg --add-architecture i386; apt-get update; apt-get install ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -qq
apt-get install -y -qq "${missing[@]}" >/dev/null
