#!/usr/bin/env bash
# The main job, against the bundled simulator: start a simulated terminal on 127.0.0.1,
# drive it through the library like a host would, and stop it again.
set -euo pipefail
build=${1:-build}
work=$(mktemp -d)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$build/sim/vorskel-sim" --model vorsk --port 0 --port-file "$work/port" --record-total 3000 \
  --duration-s 60 --verbose > "$work/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
port=$(cat "$work/port")
echo "== simulated terminal on 127.0.0.1:$port"
"$build/hello_terminal" 127.0.0.1 "$port"
echo "== what the terminal saw"
cat "$work/sim.log"
