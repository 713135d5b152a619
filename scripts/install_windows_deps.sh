#!/usr/bin/env bash
# Installs the Debian packages of the Windows builds (idempotent): the mingw-w64 cross
# compilers (the -posix variants: std::mutex and std::thread need them) and 64-bit Wine to
# run the x86_64 test programs. About a minute and 2 GB on a fresh machine.
set -euo pipefail
packages=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64
  binutils-mingw-w64-i686 wine wine64 googletest)  # googletest: sources for the cross builds
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi
