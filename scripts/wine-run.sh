#!/usr/bin/env bash
# Runs one Windows program under the project's Wine prefix (the cross-compiling emulator of CTest).
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
[ -f "$WINEPREFIX/system.reg" ] || slotwise_wine_prefix
exec wine "$@"
