#!/usr/bin/env bash
# Installs what is needed, builds every target and runs every test: native, native under
# AddressSanitizer/UBSan with the fuzz targets for a bounded time, and win32 under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -eq 0 ]; then
    bash scripts/setup.sh
fi

jobs=$(nproc)

echo "== native"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

echo "== native-asan"
cmake --preset native-asan >/dev/null
cmake --build --preset native-asan -j "$jobs"
ctest --preset native-asan -j "$jobs"
bash scripts/fuzz.sh "${SLOTWISE_FUZZ_SECONDS:-30}"

echo "== win32"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs"
. scripts/wine-env.sh
slotwise_wine_prefix
# A persistent, warmed-up wineserver keeps Wine's own services off ctest's output pipes.
wineserver -p >/dev/null 2>&1 </dev/null
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
status=0
ctest --preset win32 -j "$jobs" || status=$?
wineserver -k >/dev/null 2>&1 || true
exit $status
