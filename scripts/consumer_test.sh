#!/usr/bin/env bash
# A host project outside the tree, as an integrator builds one: installs BUILD into a scratch
# prefix, builds examples/hello_terminal.c against it with find_package(Vorskel)
# (examples/consumer/) and with pkg-config, and runs both against the installed vorskel-sim
# on a free 127.0.0.1 port. Leaves nothing behind.
# usage: consumer_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >"$work/install.log"
sim=$prefix/bin/vorskel-sim

echo "== find_package(Vorskel) from $prefix"
cmake -S "$root/examples/consumer" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" \
  >"$work/cmake.log" 2>&1 || { cat "$work/cmake.log"; exit 1; }
cmake --build "$work/cmake" >>"$work/cmake.log" 2>&1 || { cat "$work/cmake.log"; exit 1; }
"$root/scripts/host_against_sim.sh" "$sim" "$work/cmake/hello_terminal"

echo "== pkg-config vorskel from $prefix"
pc=$(find "$prefix" -name vorskel.pc)
export PKG_CONFIG_PATH=$(dirname "$pc")
echo "vorskel $(pkg-config --modversion vorskel)"
# The run path names the prefix's library directory: the program starts without
# LD_LIBRARY_PATH.
${CC:-cc} -o "$work/hello_pc" "$root/examples/hello_terminal.c" $(pkg-config --cflags vorskel) \
  $(pkg-config --libs vorskel) -Wl,-rpath,"$(pkg-config --variable=libdir vorskel)"
"$root/scripts/host_against_sim.sh" "$sim" "$work/hello_pc"
