#!/usr/bin/env bash
# `make run` for every model: the simulator program serves each model on 127.0.0.1 with its
# own records and reports; the tool reads its counters, downloads its records (as many as the
# simulator's export lists) and takes its reports. Then records keep arriving
# (--new-records-every) and a second download gets the new ones.
set -euo pipefail
sim=$1
tool=$2
work=$(mktemp -d)
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

start() {  # start MODEL ARGS...: a simulator on a free port; sets terminal
  rm -f "$work/port"
  "$sim" --model "$@" --port 0 --port-file "$work/port" --duration-s 60 > "$work/sim.log" 2>&1 &
  sim_pid=$!
  for _ in $(seq 200); do [ -s "$work/port" ] && break; sleep 0.05; done
  terminal=127.0.0.1:$(cat "$work/port")
}
stop() {
  kill "$sim_pid"; wait "$sim_pid" || true; sim_pid=
}
rows() { echo $(($(wc -l < "$1") - 1)); }

cd "$work"
# model, record layout, report kind the tool watches ("-": the model sends none)
while read -r model layout watch; do
  start "$model" --records 200 --export-records held.csv --report-every 100
  "$tool" info "$terminal" > /dev/null
  "$tool" records download "$terminal" --model "$layout" --format csv -o got.csv 2> /dev/null
  [ "$(rows got.csv)" = "$(rows held.csv)" ] ||
    { echo "$model: $(rows got.csv) records downloaded, the simulator held $(rows held.csv)"; exit 1; }
  if [ "$watch" != - ]; then
    "$tool" watch "$terminal" --model "$watch" --count 2 --idle 10 --format csv > reports.csv 2> /dev/null
    [ "$(rows reports.csv)" = 2 ] || { echo "$model: $(rows reports.csv) reports"; exit 1; }
  fi
  stop
  echo "$model: $(rows got.csv) $layout records, reports: $watch"
done <<'MODELS'
vorsk vorsk vorsk
pirrel vorsk vorsk
nemmar nemmar nemmar
nemmarv2 nemmarv2 nemmar
brell brell brell
doors sondo sondo
sondo sondo sondo
kappel sondo sondo
lusk lusk sondo
hesk sondo hesk
gaddo sondo gaddo
ferrin ferrin -
MODELS

start vorsk --records 100 --new-records-every 20 --export-records held.csv
"$tool" records download "$terminal" --model vorsk -o first.csv 2> /dev/null
for _ in $(seq 100); do [ "$(rows held.csv)" -gt "$(rows first.csv)" ] && break; sleep 0.05; done
"$tool" records download "$terminal" --model vorsk -o second.csv 2> /dev/null
[ "$(rows second.csv)" -gt "$(rows first.csv)" ] ||
  { echo "no new records arrived: $(rows first.csv) then $(rows second.csv)"; exit 1; }
stop
echo "records keep arriving: $(rows first.csv) then $(rows second.csv)"
