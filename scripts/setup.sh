#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine. Run as root.
# Idempotent: packages already present are not reinstalled, i386 is added once.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git
    clang libclang-rt-14-dev clang-format
    googletest libgtest-dev
    libcli11-dev nlohmann-json3-dev
    g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
    wine wine32:i386 wine64
    xvfb xauth imagemagick
    mtools dosfstools file p7zip-full
    nasm
    nsis help2man lintian man-db x11-utils
)

if [ "$(id -u)" -ne 0 ]; then
    echo "setup.sh must run as root (it installs packages)" >&2
    exit 1
fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    need_update=1
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    if [ -n "${need_update:-}" ] || [ ! -f /var/lib/apt/periodic/slotwise-updated ]; then
        apt-get update -qq
        mkdir -p /var/lib/apt/periodic && touch /var/lib/apt/periodic/slotwise-updated
    fi
    echo "installing: ${missing[*]}"
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
