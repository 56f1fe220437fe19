#!/usr/bin/env bash
# Runs the Windows build's tests under Wine: ctest --preset windows, with any
# extra arguments passed on.
#
# Wine's server is started and warmed here, outside ctest. Started from inside
# ctest's output pipe, Wine's service processes inherit the pipe and ctest
# waits for them forever; warm, every test program starts in a fraction of a
# second instead of several.
set -euo pipefail
cd "$(dirname "$0")/.."

# One Wine prefix per checkout (about 700 MB, made on first use): runs of
# several checkouts at once must not share, and so stop, one Wine server.
export WINEPREFIX="${WINEPREFIX:-$PWD/build-windows/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

mkdir -p "$WINEPREFIX"
wineserver -k </dev/null >/dev/null 2>&1 || true   # a server left over from an earlier run
wineserver -p </dev/null >/dev/null 2>&1
trap 'wineserver -k </dev/null >/dev/null 2>&1 || true' EXIT
wine cmd /c exit </dev/null >/dev/null 2>&1

ctest --preset windows "$@"
