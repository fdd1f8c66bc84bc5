#!/usr/bin/env bash
# The main job's window: opens slotwise.exe on the demo drive image (or the image given as the
# first argument). On Windows the program is simply started. On Linux it runs under Wine: in
# the display of $DISPLAY when there is one, else for a few seconds in a private Xvfb, from
# which a screenshot is saved next to the drive image, followed by the drive's block list.
# SLOTWISE_EXE names a slotwise.exe built already, which is then run instead of building one.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
image=$(realpath -m "${1:-$root/build/demo/demo-drive.img}")
demo=$(dirname "$image")
shot="$demo/demo-window.png"

if [ ! -f "$image" ]; then
    echo "No drive image at $image: run scripts/demo.sh first, or name an image." >&2
    exit 1
fi

case "$(uname -s)" in
    MINGW* | MSYS* | CYGWIN*)
        echo "== Building the window program (win32 preset)"
        cmake --preset win32 >/dev/null
        cmake --build --preset win32 --target slotwise -j 2 | tail -n 1
        echo "== Starting slotwise.exe on $image"
        cmd //c start "" "$(cygpath -w "$root/build/win32/ui/slotwise.exe")" --drive-image "$(cygpath -w "$image")"
        exit 0
        ;;
esac

. scripts/wine-env.sh
if slotwise_can_run_i386; then
    preset=win32
    slotwise_wine_use win32
else
    preset=win64
    slotwise_wine_use win64
    echo "This machine runs no 32-bit programs (IA-32 emulation is off), so the 32-bit slotwise.exe"
    echo "that ships cannot start here: the demo runs the 64-bit build of the same sources instead."
fi
exe="${SLOTWISE_EXE:-}"
if [ -z "$exe" ]; then
    echo "== Building the window program ($preset preset)"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target slotwise -j 2 | tail -n 1
    exe="$root/build/$preset/ui/slotwise.exe"
fi
slotwise_wine_prefix
# Wine's drive Z: is the root of the Linux file system.
wine_image="Z:${image//\//\\}"

# The program's default upload and backup folders are made under its working folder.
cd "$demo"
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "== Opening the window on $image in display $DISPLAY; close it to end the demo"
    "$SLOTWISE_WINE" "$exe" --drive-image "$wine_image"
    exit 0
fi

echo "== No display: running the window for a few seconds in a private Xvfb"
if ! slotwise_xvfb_start 150 199; then
    echo "No free display number for Xvfb." >&2
    exit 1
fi
xvfb_pid=$SLOTWISE_XVFB_PID
program_pid=
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

"$SLOTWISE_WINE" "$exe" --drive-image "$wine_image" >/dev/null 2>&1 </dev/null &
program_pid=$!
# Up to a minute for Wine's first start; then a moment for the block list to fill.
for _ in $(seq 60); do
    if xwininfo -root -tree 2>/dev/null | grep -q "Slotwise V1.40"; then
        break
    fi
    sleep 1
done
sleep 3
import -window root "$shot"
kill "$program_pid" 2>/dev/null || true
program_pid=

echo "== Screenshot of the window: $shot"
echo "== The block list the window shows"
cli="$root/build/native/cli/slotwise-cli"
if [ -x "$cli" ]; then
    "$cli" list "$image"
fi
cat <<EOT

To work in the window yourself, run this with a display, for example from a desktop session:
  DISPLAY=:0 bash scripts/demo-gui.sh
or, on Windows, start build\\win32\\ui\\slotwise.exe --drive-image <the image file>.
EOT
