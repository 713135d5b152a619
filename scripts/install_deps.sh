#!/usr/bin/env bash
# Installs the Debian packages a task needs, and only those: nothing happens when every one is
# already installed (one dpkg-query, no apt). With sudo when not root.
# usage: install_deps.sh [GROUP...]   (no group: all of them, as CI on a fresh machine)
#   run      build the library, the simulator and the `vorskel` tool (make run)
#   test     run plus the test suite, benchmarks and the site service's servers (make test)
#   clang    the test group built with clang 14
#   fuzz     clang with libFuzzer and its sanitizer runtimes (make fuzz)
#   memcheck the test group under valgrind (make memcheck)
#   test32   the library and test suite as 32-bit programs (make test32)
#   package  the Debian package (make package)
#   windows  the mingw-w64 cross compilers and Wine (make windows, make wine-test)
set -euo pipefail

group_packages() {
  case $1 in
    run)
      echo cmake make g++ python3 pkg-config \
        libcli11-dev nlohmann-json3-dev \
        libtomlplusplus-dev libsqlite3-dev libpq-dev libpqxx-dev  # the tool and its site service
      ;;
    test)
      group_packages run
      echo libgtest-dev libgmock-dev googletest libbenchmark-dev \
        opencc libopencc-data \
        postgresql mosquitto libmosquitto-dev libcpp-httplib-dev  # servers the tests start
      ;;
    clang) group_packages test; echo clang ;;
    fuzz) group_packages run; echo clang libclang-rt-14-dev ;;
    memcheck) group_packages test; echo valgrind ;;
    # GoogleTest is built from Debian's sources for -m32; the tool's and benchmarks'
    # libraries are not installed for i386, so that build leaves them out. qemu-user runs the
    # programs where the kernel cannot (no 32-bit emulation).
    test32) echo cmake make python3 gcc-multilib g++-multilib googletest qemu-user ;;
    package) group_packages run; echo dpkg-dev file ;;
    # The -posix variants: std::mutex and std::thread need them. 64-bit Wine runs the x86_64
    # test programs; googletest gives the sources for the cross builds.
    windows)
      echo g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 \
        binutils-mingw-w64-i686 wine wine64 googletest
      ;;
    *) echo "install_deps: unknown group '$1'" >&2; return 1 ;;
  esac
}

groups=("$@")
[ ${#groups[@]} -gt 0 ] || groups=(test clang fuzz memcheck test32 package windows)
wanted=()
for g in "${groups[@]}"; do
  list=$(group_packages "$g") || exit 2
  read -r -d '' -a pkgs <<< "$list" || true
  wanted+=("${pkgs[@]}")
done
mapfile -t wanted < <(printf '%s\n' "${wanted[@]}" | sort -u)

installed=$(dpkg-query -W -f='${Package} ${db:Status-Abbrev}\n' "${wanted[@]}" 2>/dev/null |
  awk '$2 == "ii" { print $1 }' || true)
missing=()
for p in "${wanted[@]}"; do
  grep -qx "$p" <<< "$installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "install_deps: missing ${missing[*]}; not root and no sudo: install them as root" >&2
    exit 1
  fi
  sudo=(sudo)
fi
echo "install_deps: installing ${missing[*]}"
log=$(mktemp /tmp/install_deps.XXXXXX.log)
if "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq >"$log" 2>&1 &&
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    "${missing[@]}" >>"$log" 2>&1; then
  rm -f "$log"
else
  echo "install_deps: could not install ${missing[*]} (apt-get failed; its output: $log)" >&2
  exit 1
fi
