#!/usr/bin/env bash
# Installs what is needed, builds every target and runs every test: native; native under
# AddressSanitizer/UBSan, with the fuzz targets for a bounded time; the 32-bit Windows build;
# the Windows tests under Wine (32-bit where this machine runs i386 programs, else the 64-bit
# build of the same sources under 64-bit Wine); then the packages (scripts/test-packages.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -eq 0 ]; then
    bash scripts/setup.sh
fi

jobs=$(nproc)
step() { echo; echo "== $*"; }

step "native: build and test"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

step "native-asan: build and test under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset native-asan >/dev/null
cmake --build --preset native-asan -j "$jobs"
ctest --preset native-asan -j "$jobs"

step "fuzz: bounded run"
bash scripts/fuzz.sh "${SLOTWISE_FUZZ_SECONDS:-60}"

step "win32: build (i686, static)"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs"

step "win32: every function the shipped executables import exists on Windows XP"
bash scripts/xp-imports.sh build/win32/ui/slotwise.exe build/win32/service/ZRVKVNService.exe \
    build/win32/cli/slotwise-cli.exe

. scripts/wine-env.sh
if slotwise_can_run_i386; then
    wine_preset=win32
    slotwise_wine_use win32
else
    echo "This kernel runs no 32-bit programs (IA-32 emulation is off), so 32-bit Wine cannot start;"
    echo "the Windows tests run from the 64-bit build of the same sources under 64-bit Wine."
    wine_preset=win64
    slotwise_wine_use win64
    step "win64: build"
    cmake --preset win64 >/dev/null
    cmake --build --preset win64 -j "$jobs"
fi

step "$wine_preset: tests under Wine"
slotwise_wine_prefix
# The window tests need a display: a private Xvfb for this run, on the first free display.
slotwise_xvfb_start 90 140 || true
trap '[ -z "$SLOTWISE_XVFB_PID" ] || kill "$SLOTWISE_XVFB_PID" 2>/dev/null || true' EXIT
# A persistent, warmed-up wineserver keeps Wine's own services off ctest's output pipes.
wineserver -p >/dev/null 2>&1 </dev/null
"$SLOTWISE_WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
status=0
wine_start=$(date +%s)
ctest --preset "$wine_preset" -j "$jobs" || status=$?
echo "Windows tests under Wine took $(( $(date +%s) - wine_start )) s"
wineserver -k >/dev/null 2>&1 || true

step "packages: build them, then install, run and remove them"
bash scripts/test-packages.sh || status=1
exit $status
