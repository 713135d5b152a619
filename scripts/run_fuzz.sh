#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a bounded time on a scratch copy of its
# seed corpus (fuzz/corpus/<target without _fuzzer>/). Fails if any target finds a crash.
set -euo pipefail
seconds=${1:-60}
build=${2:-build-fuzz}
cd "$(dirname "$0")/.."
cmake -S . -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVORSKEL_FUZZ=ON -DVORSKEL_TESTS=OFF -DVORSKEL_SIM=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORSKEL_WERROR=ON >/dev/null
if ! cmake --build "$build" -j "$(nproc)" >"$build.log" 2>&1; then
  grep -E 'error|Error' "$build.log" | head -20
  echo "fuzz: build FAILED"
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
ran=0
for bin in "$build"/fuzz/*_fuzzer; do
  [ -x "$bin" ] || continue
  name=$(basename "$bin")
  seeds=fuzz/corpus/${name%_fuzzer}
  mkdir -p "$work/$name"
  [ -d "$seeds" ] && cp -r "$seeds"/. "$work/$name"/
  if "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$work/$name-" "$work/$name" >"$work/$name.log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/$name.log" | grep -o '[0-9]*$' || echo '?')
    echo "fuzz: $name ran ${seconds}s, $runs inputs, nothing found"
  else
    echo "fuzz: $name FAILED"; tail -40 "$work/$name.log"; failed=1
    mkdir -p fuzz-artifacts && cp "$work/$name"-* fuzz-artifacts/ 2>/dev/null || true
  fi
  ran=$((ran + 1))
done
echo "fuzz: $ran targets, $([ $failed = 0 ] && echo 'all clean' || echo 'FAILURES')"
exit $failed
