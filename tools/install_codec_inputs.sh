#!/usr/bin/env bash
# Installs what tools/gen_big5_gb.py reads: opencc_dict (opencc) and the
# OpenCC dictionaries (libopencc-data, pulled in with libopencc1.1).
# glibc iconv and python3 are part of the base system.
# Idempotent and quiet: does nothing when everything is already there.
set -e

PACKAGES=(opencc libopencc1.1 libopencc-data)

missing=()
for pkg in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$pkg")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=
if [ "$(id -u)" -ne 0 ]; then
    SUDO=sudo
fi
apt() { $SUDO env DEBIAN_FRONTEND=noninteractive apt-get "$@"; }

log=$(mktemp)
trap 'rm -f "$log"' EXIT
run() {
    if ! "$@" >"$log" 2>&1; then
        cat "$log" >&2
        return 1
    fi
}

# Refresh the package lists first only when they can't resolve the packages,
# and once more if the install fails on stale lists.
if ! apt-cache show "${missing[@]}" >/dev/null 2>&1; then
    run apt update -qq
fi
install() { run apt install -y -qq --no-install-recommends "${missing[@]}"; }
if ! install 2>/dev/null; then
    run apt update -qq
    install
fi
