#!/usr/bin/env bash
# Runs one Windows program under the project's Wine prefix (the cross-compiling emulator of
# CTest). The prefix follows the program: PE32+ runs in the 64-bit prefix, PE32 in the 32-bit one.
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
if [ -n "${SLOTWISE_WINEARCH:-}" ]; then
    slotwise_wine_use "$SLOTWISE_WINEARCH"
elif file -b "$1" 2>/dev/null | grep -q 'PE32+'; then
    slotwise_wine_use win64
else
    slotwise_wine_use win32
fi
[ -f "$WINEPREFIX/system.reg" ] || slotwise_wine_prefix
exec "$SLOTWISE_WINE" "$@"
