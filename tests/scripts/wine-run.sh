#!/usr/bin/env bash
# The cross build's test emulator: runs a Windows program in the test prefix.
set -eu
. "$(dirname "$0")/wine-env.sh"
exec wine "$@"
