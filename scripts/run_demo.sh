#!/usr/bin/env bash
# The main job, against the bundled simulator: start a simulated terminal on 127.0.0.1 with a
# few thousand records, set its clock, download every record into the record files, show
# what came, receive a few live reports, sync the terminal's records into the built-in SQLite
# database (clearing them on the terminal) and query it, and stop the simulator.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
tool=$root/$build/cli/vorskel
work=$root/run
mkdir -p "$work"
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

"$root/$build/sim/vorskel-sim" --model vorsk --port 0 --port-file "$work/port" --records 5000 \
  --wrapped --report-every 250 --duration-s 60 > "$work/sim.log" 2>&1 &
sim_pid=$!
rm -f "$work/port"
for _ in $(seq 200); do [ -s "$work/port" ] && break; sleep 0.05; done
terminal=127.0.0.1:$(cat "$work/port")
cd "$work"
rm -rf records

echo "== a simulated terminal with 5000 records on $terminal"
"$tool" info "$terminal"
echo
echo "== vorskel time set $terminal"
"$tool" time set "$terminal"
echo
echo "== vorskel --format csv records download $terminal --model vorsk > records.csv"
"$tool" --format csv records download "$terminal" --model vorsk > records.csv
echo "first lines:"
head -4 records.csv
echo "records downloaded: $(($(wc -l < records.csv) - 1)); record files: $(ls records/127.0.0.1 | wc -l) days in $work/records/127.0.0.1/"
echo
echo "== vorskel watch $terminal --model vorsk --count 4"
"$tool" watch "$terminal" --model vorsk --count 4 --idle 10
echo
echo "== vorskel --config site.toml sync   (the terminal named 'gate', into the built-in SQLite database)"
rm -f site.db site.db-wal site.db-shm
cat > site.toml <<TOML
[database]
url = "sqlite:site.db"

[[terminal]]
name = "gate"
model = "vorsk"
host = "127.0.0.1"
port = ${terminal##*:}
clear_after_sync = true
TOML
"$tool" --config site.toml sync
echo "== again: nothing new"
"$tool" --config site.toml sync
echo
echo "== vorskel --config site.toml events --terminal gate --limit 4"
"$tool" --config site.toml events --terminal gate --limit 4
