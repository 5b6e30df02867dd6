#!/usr/bin/env bash
# The cross build's test emulator: runs a Windows program in the test prefix.
set -eu
. "$(dirname "$0")/../../tools/wine-env.sh" "${VELMORA_WINE_STATE:?must name the state folder of the test run}"
exec wine "$@"
