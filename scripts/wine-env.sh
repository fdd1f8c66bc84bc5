# Sourced by the scripts that run Windows programs: the project's own 32-bit Wine prefix.
# A 32-bit prefix keeps our 32-bit programs out of WOW64, so they take the direct disk route.
slotwise_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${SLOTWISE_WINEPREFIX:-$slotwise_root/build/wineprefix32}"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Creates the prefix once, quietly; safe to call from several processes at a time.
slotwise_wine_prefix() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            wineboot -i >/dev/null 2>&1 </dev/null
            wineserver -w
            # Dialogs and window closes stall without a window manager unless Wine manages them itself.
            wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
            wineserver -w
        fi
    ) 9>"$(dirname "$WINEPREFIX")/.wineprefix.lock"
}
