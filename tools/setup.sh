#!/usr/bin/env bash
# Installs everything the build, the tests and the main job need on a fresh
# Debian bookworm machine. Safe to run again: it does nothing when all is there.
set -euo pipefail

# g++ builds the standard-C++ parts natively; its runtime libraries bring
# AddressSanitizer's and UndefinedBehaviorSanitizer's. Both Windows targets
# are built everywhere; 32-bit Wine installs even where the kernel cannot run
# it, and 64-bit Wine runs the 64-bit target there.
packages=(cmake ninja-build g++ g++-mingw-w64-i686 g++-mingw-w64-x86-64 googletest
          wine wine32:i386 wine64 xvfb clang-format python3)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: everything is installed"
    exit 0
fi
echo "setup: installing ${missing[*]}"

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
fi

# The security suite's i386 index can lag its amd64 index; apt then sees
# "held broken packages" for wine32. Ranking that suite below the main one for
# this install lets both architectures agree on versions. The pin is removed on
# exit so the machine's own security updates are not held back.
pin=/etc/apt/preferences.d/zz-veltrix-setup-security-pin
as_root tee "$pin" >/dev/null <<'PIN'
Package: *
Pin: release l=Debian-Security
Pin-Priority: 50
PIN
trap 'as_root rm -f "$pin"' EXIT

export DEBIAN_FRONTEND=noninteractive
# A third-party source without an i386 index makes update report an error;
# what matters is that the Debian indexes arrived, which the install checks.
as_root apt-get update -q || echo "setup: apt-get update reported errors; continuing"
as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
echo "setup: done"
