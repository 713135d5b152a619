#!/usr/bin/env bash
# Runs a host program against a simulated terminal on 127.0.0.1 and passes on its exit code.
# usage: host_against_sim.sh SIMULATOR HOST_PROGRAM [RUNNER...]
# The simulator is a native program; the host may be a Windows program, run by RUNNER
# (e.g. wine). The host gets the arguments 127.0.0.1 PORT.
set -euo pipefail
sim=$1
host=$2
shift 2
work=$(mktemp -d)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$sim" --model vorsk --port 0 --port-file "$work/port" --record-total 3000 --duration-s 120 \
  > "$work/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 200); do [ -s "$work/port" ] && break; sleep 0.05; done
[ -s "$work/port" ] || { echo "simulator did not start"; cat "$work/sim.log"; exit 1; }
port=$(cat "$work/port")
timeout 60 "$@" "$host" 127.0.0.1 "$port"
