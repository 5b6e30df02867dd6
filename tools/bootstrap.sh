#!/bin/sh
# Runs a make target on a machine that may not have make yet (a fresh
# Debian 12 has no build tools); everything else is installed by the
# Makefile's own deps step.
set -eu
cd "$(dirname "$0")/.."
if ! command -v make >/dev/null 2>&1; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "make is missing; install it as root: apt-get install make" >&2
    exit 1
  fi
  DEBIAN_FRONTEND=noninteractive apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq make >/dev/null
fi
exec make "$@"
