#!/usr/bin/env bash
# Installs the Debian package made by `make package` with dpkg, checks that the programs
# start, that the system's loader knows the library (the tool links it statically) and that
# pkg-config and CMake find it, then purges it and checks that none of its files are left.
# Refuses to run when a vorskel package is already installed, so the machine ends as it
# began. With sudo when not root.
# usage: check_package.sh BUILD_PACKAGE_DIR
set -euo pipefail
deb=$(ls "$1"/vorskel_*.deb | tail -1)
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
if dpkg-query -W -f='${db:Status-Abbrev}' vorskel 2>/dev/null | grep -q '^.i'; then
  echo "check_package: a vorskel package is installed already; not touching it" >&2
  exit 1
fi
work=$(mktemp -d)
cleanup() {
  "${sudo[@]}" dpkg --purge vorskel >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

echo "== $deb: $(dpkg-deb -f "$deb" Package Version Architecture Depends | tr '\n' ' ')"
"${sudo[@]}" dpkg -i "$deb" >/dev/null
dpkg -L vorskel | grep -E 'bin/|\.so|\.h$|\.pc$|Config' | sed 's/^/  /'
files=$(dpkg -L vorskel | while read -r f; do if [ -f "$f" ]; then echo "$f"; fi; done)
vorskel --help >/dev/null
vorskel-sim --help >/dev/null
/sbin/ldconfig -p | grep -E 'libvorskel\.so\.0 .*=> /(usr/)?lib/' >/dev/null
echo "  pkg-config: vorskel $(pkg-config --modversion vorskel), $(pkg-config --libs vorskel)"
cat > "$work/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.16)
project(find_installed LANGUAGES C)
find_package(Vorskel 0.1 REQUIRED)
message(STATUS "Vorskel ${Vorskel_VERSION}")
CMAKE
cmake -S "$work" -B "$work/b" | grep 'Vorskel ' | sed 's/^--/  cmake:/'

"${sudo[@]}" dpkg --purge vorskel >/dev/null
left=$(for f in $files; do if [ -e "$f" ]; then echo "$f"; fi; done)
if [ -n "$left" ]; then
  echo "check_package: files left after purge: $left" >&2
  exit 1
fi
echo "== installed, ran and purged cleanly"
