#!/usr/bin/env bash
# Runs the 64-bit Windows test suite under Wine: every test program, the export checks, the
# export client and the example host against a native simulator on 127.0.0.1.
# usage: scripts/windows_tests.sh [WIN64_BUILD_DIR]   (made by `make windows`)
# Headless: no display, a throw-away Wine prefix, no add-on prompts, and one persistent
# wineserver so each test process starts in a fraction of a second.
set -euo pipefail
build=${1:-build-win64}
limit_s=${WINE_TEST_LIMIT_S:-900}

WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/vorskel-wine.XXXXXX")
export WINEPREFIX WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
trap 'exit 143' INT TERM

started=$(date +%s)
# A server that outlives each test process (and ends by itself if this script is killed).
wineserver -p30
timeout 120 wine wineboot --init >/dev/null 2>&1 || true
echo "wine: prefix ready in $(($(date +%s) - started)) s ($(wine --version))"

timeout "$limit_s" ctest --test-dir "$build" -j2 --output-on-failure
echo "wine tests: $(($(date +%s) - started)) s in all"
