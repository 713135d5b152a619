#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with (idempotent).
set -euo pipefail
packages=(cmake make g++ python3 libgtest-dev libgmock-dev googletest libbenchmark-dev
  opencc libopencc-data  # inputs of the Big5-to-GB2312 table generator
  clang libclang-rt-14-dev  # libFuzzer and its sanitizer runtimes
  libcli11-dev nlohmann-json3-dev)  # the command-line tool
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi
