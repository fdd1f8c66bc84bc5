# Sourced by the scripts that run Windows programs: the project's own Wine prefixes.
#   32-bit prefix (WINEARCH=win32): our 32-bit programs are not WOW64 processes there, so they
#     take the direct disk route. It needs a kernel that runs 32-bit Linux processes.
#   64-bit prefix (WINEARCH=win64): runs the 64-bit test build where 32-bit processes cannot run.
# slotwise_wine_arch picks one: "win32" when this machine can run i386 programs, else "win64".
slotwise_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

slotwise_can_run_i386() {
    [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

slotwise_wine_use() {  # win32 | win64
    export WINEARCH="$1"
    if [ "$1" = win32 ]; then
        export WINEPREFIX="${SLOTWISE_WINEPREFIX32:-$slotwise_root/build/wineprefix32}"
        SLOTWISE_WINE=wine
    else
        export WINEPREFIX="${SLOTWISE_WINEPREFIX64:-$slotwise_root/build/wineprefix64}"
        SLOTWISE_WINE=/usr/lib/wine/wine64
        [ -x "$SLOTWISE_WINE" ] || SLOTWISE_WINE=wine64
    fi
    export SLOTWISE_WINE
}

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Creates the selected prefix once, quietly; safe to call from several processes at a time.
slotwise_wine_prefix() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            "$SLOTWISE_WINE" wineboot -i >/dev/null 2>&1 </dev/null
            wineserver -w
            # Dialogs and window closes stall without a window manager unless Wine manages them itself.
            "$SLOTWISE_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
            wineserver -w
        fi
    ) 9>"$WINEPREFIX.lock"
}

# Starts a private Xvfb on the first free display number from $1 to $2 and exports DISPLAY;
# SLOTWISE_XVFB_PID is its process (empty, and status 1, when no number was free).
slotwise_xvfb_start() {
    SLOTWISE_XVFB_PID=
    local n
    for n in $(seq "$1" "$2"); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
            Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
            SLOTWISE_XVFB_PID=$!
            export DISPLAY=":$n"
            for _ in $(seq 50); do
                [ -e "/tmp/.X11-unix/X$n" ] && break
                sleep 0.1
            done
            return 0
        fi
    done
    return 1
}
