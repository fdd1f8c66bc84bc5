#!/usr/bin/env bash
# Builds the packages (scripts/package.sh) and uses them as a user would, judging from outside:
#   Windows, in a fresh 64-bit Wine prefix of its own: the shipped exes are small and need no
#   DLL beyond Windows' own; the zip holds the programs; the silent install puts the files and
#   Start-menu entries in place and the disk service running; the installed program shows its
#   window on a drive image; the silent uninstall leaves no service and no file, and keeps the
#   user's settings unless given /REMOVESETTINGS; an install over an installed copy leaves the
#   service running.
#   Debian (as root, else skipped): dpkg -i, --version, man -w, the bash completion against the
#   help, dpkg -r; lintian finds no error.
# Where this machine runs no 32-bit programs, the installer tried under Wine is the same script
# built from the 64-bit release build (the 32-bit one is still built and checked).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
started=$(date +%s)

bash scripts/package.sh
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/native-release/CMakeCache.txt)
dist=build/dist

passed=0
failed=0
skipped=0
pass() { echo "ok: $1"; passed=$((passed + 1)); }
fail() { echo "FAILED: $1"; failed=$((failed + 1)); }
# same NAME EXPECTED ACTUAL: passes when the two texts are equal, else shows both whole.
same() {
    if [ "$2" == "$3" ]; then pass "$1"; else
        fail "$1"
        diff <(echo "$2") <(echo "$3") | sed 's/^/    /' || true
    fi
}

echo
echo "== Windows files"
stage=build/win32-release/packaging/stage/slotwise-$version
for exe in slotwise.exe slotwise-cli.exe TV_FBKT/ZRVKVNService.exe; do
    size=$(stat -c %s "$stage/$exe")
    limit=2097152
    if [ "$size" -le "$limit" ]; then pass "$exe is $size bytes (at most $limit)"; else fail "$exe is $size bytes, over $limit"; fi
    dlls=$(i686-w64-mingw32-objdump -p "$stage/$exe" | sed -n 's/^\tDLL Name: //p' | tr a-z A-Z |
        grep -Evx 'KERNEL32.DLL|USER32.DLL|GDI32.DLL|ADVAPI32.DLL|COMCTL32.DLL|COMDLG32.DLL|SHELL32.DLL|OLE32.DLL|SETUPAPI.DLL|MSVCRT.DLL' || true)
    same "$exe needs no DLL beyond Windows' own" "" "$dlls"
done
expected_files="README.txt
THIRD-PARTY-NOTICES.txt
TV_FBKT/InstallKVN.bat
TV_FBKT/UninstallKVN.bat
TV_FBKT/ZRVKVNService.exe
slotwise-cli.exe
slotwise.exe"
same "the zip holds the programs, the batch files, the readme and the notices" "$expected_files" \
    "$(cmake -E tar tf "$dist/slotwise-$version-windows.zip" | grep -v '/$' | sed "s|^slotwise-$version/||" | sort)"

echo
echo "== The installer under Wine"
. scripts/wine-env.sh
slotwise_wine_use win64
export WINEPREFIX=$root/build/wineprefix-packages
if slotwise_can_run_i386; then
    setup=$dist/slotwise-$version-setup.exe
    instdir="$WINEPREFIX/drive_c/Program Files (x86)/Slotwise"
else
    echo "This machine runs no 32-bit programs: trying the installer of the 64-bit release build."
    cmake --preset win64-release >/dev/null
    cmake --build --preset win64-release -j "$(nproc)" --target windows-packages
    setup=build/win64-release/dist/slotwise-$version-setup.exe
    instdir="$WINEPREFIX/drive_c/Program Files/Slotwise"
fi
wine_instdir=$(echo "${instdir#"$WINEPREFIX/drive_c/"}" | tr / '\\')
wine_instdir="C:\\$wine_instdir"
startmenu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Slotwise"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Slotwise'
settings_key='HKCU\Software\Marrowfield\fbkt'

rm -rf "$WINEPREFIX" "$WINEPREFIX.lock"
slotwise_wine_prefix
[ -n "${DISPLAY:-}" ] || slotwise_xvfb_start 150 199
program_pid=
cleanup() {
    [ -z "$program_pid" ] || kill "$program_pid" 2>/dev/null || true
    wineserver -k >/dev/null 2>&1 || true
    [ -z "${SLOTWISE_XVFB_PID:-}" ] || kill "$SLOTWISE_XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
# Debian's wineserver ends services with the last ordinary process: keep it running.
wineserver -p >/dev/null 2>&1 </dev/null
wine() { "$SLOTWISE_WINE" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
# Wine's drive Z: is the root of the Linux file system.
windows_path() { local path; path=$(realpath -m "$1"); echo "Z:${path//\//\\}"; }
service_state() { wine sc query "ZRVKVN service" | sed -n 's/^ *STATE *: *\([0-9]*\).*/\1/p'; }
installed_files() { (cd "$instdir" 2>/dev/null && find . -type f | sed 's|^\./||' | sort); }
# The silent uninstaller copies itself away and returns at once: wait for its work to end.
uninstall() {
    wine "$wine_instdir\\uninstall.exe" /S "$@"
    for _ in $(seq 120); do
        if [ ! -e "$instdir" ] && [ ! -e "$startmenu" ] && ! wine reg query "$uninstall_key" >/dev/null; then return; fi
        sleep 0.5
    done
}

wine "$(windows_path "$setup")" /S
same "the silent install puts every file in Program Files" "$expected_files
uninstall.exe" "$(installed_files)"
same "the Start menu has the program, the readme and the uninstaller" "Read me.lnk
Slotwise.lnk
Uninstall Slotwise.lnk" "$(ls "$startmenu" 2>/dev/null)"
same "the disk service runs (sc query: state 4)" "4" "$(service_state)"
same "the installed slotwise-cli.exe tells the version" "slotwise-cli $version" \
    "$(wine "$wine_instdir\\slotwise-cli.exe" --version)"
same "Programs and Features lists Slotwise $version" "$version" \
    "$(wine reg query "$uninstall_key" /v DisplayVersion | sed -n 's/.*REG_SZ *//p')"

image=$root/build/wineprefix-packages/drive.img
build/native-release/cli/slotwise-cli create-image --size 8M "$image" >/dev/null
build/native-release/cli/slotwise-cli format-drive --blocks 4 --yes "$image" >/dev/null
"$SLOTWISE_WINE" "$wine_instdir\\slotwise.exe" --drive-image "$(windows_path "$image")" </dev/null >/dev/null 2>&1 &
program_pid=$!
# The main window's title names the image's drive letter (the first one free from Y: down).
title=
for _ in $(seq 60); do
    title=$(xwininfo -root -tree 2>/dev/null | grep -o '"\[Tanvale\] Slotwise[^"]*"' | head -n 1 || true)
    [ -n "$title" ] && break
    sleep 1
done
same "slotwise.exe --drive-image shows its window on the image" \
    '"[Tanvale] Slotwise V1.40 - www.tanvale.example - [Y:]"' "$title"
kill "$program_pid" 2>/dev/null || true
wait "$program_pid" 2>/dev/null || true
program_pid=

wine reg add "$settings_key" /v SavePath /d 'C:\kept' /f >/dev/null
uninstall
same "the silent uninstall removes the service" "" "$(service_state)"
same "the silent uninstall leaves no installed file" "" "$(installed_files)"
same "the silent uninstall removes the Start-menu entries and the Programs entry" "no no" \
    "$([ -e "$startmenu" ] && echo yes || echo no) $(wine reg query "$uninstall_key" >/dev/null && echo yes || echo no)"
same "the silent uninstall keeps the user's settings" 'C:\kept' \
    "$(wine reg query "$settings_key" /v SavePath | sed -n 's/.*REG_SZ *//p')"

wine "$(windows_path "$setup")" /S
wine "$(windows_path "$setup")" /S
same "an install over an installed copy leaves the service running" "4" "$(service_state)"
uninstall /REMOVESETTINGS
same "uninstall /REMOVESETTINGS removes the settings and every file" "no settings, no files" \
    "$(wine reg query "$settings_key" >/dev/null && echo settings || echo no settings), $(
        [ -e "$instdir" ] && echo files || echo no files)"
wineserver -k >/dev/null 2>&1 || true

echo
echo "== The Debian package"
deb=$dist/slotwise-cli_${version}_amd64.deb
if [ "$(id -u)" -ne 0 ]; then
    echo "skipped: installing the package needs root"
    skipped=1
else
    dpkg -i "$deb" >/dev/null
    same "slotwise-cli --version" "slotwise-cli $version" "$(slotwise-cli --version)"
    same "man -w slotwise-cli" "/usr/share/man/man1/slotwise-cli.1.gz" "$(man -w slotwise-cli)"
    # The completion offers exactly the commands of the help, and each command's options.
    help_words() { "$@" --help | sed -n -e 's/^  \(-[a-z],\)\{0,1\}\(--[a-z-]*\).*/\2/p' \
        -e '/^Subcommands:/,$s/^  \([a-z][a-z-]*\) .*/\1/p' | sort | tr '\n' ' '; }
    completion() { bash -c '. /usr/share/bash-completion/completions/slotwise-cli
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _slotwise_cli; printf "%s\n" "${COMPREPLY[@]}"' _ "$@" |
        sort | tr '\n' ' '; }
    expected="commands: $(help_words slotwise-cli)"
    actual="commands: $(completion slotwise-cli '')"
    for command in $(slotwise-cli --help | sed -n '/^Subcommands:/,$s/^  \([a-z][a-z-]*\) .*/\1/p'); do
        expected+=$'\n'"$command: $(help_words slotwise-cli "$command")"
        actual+=$'\n'"$command: $(completion slotwise-cli "$command" -)"
    done
    same "the bash completion offers every command and option of the help" "$expected" "$actual"
    files=$(dpkg -L slotwise-cli | while read -r f; do [ -f "$f" ] && echo "$f"; done)
    dpkg -r slotwise-cli >/dev/null
    same "dpkg -r removes every file of the package" "" "$(for f in $files; do [ -e "$f" ] && echo "$f"; done)"
fi
if lintian --fail-on error --tag-display-limit 0 "$deb" >build/lintian.txt 2>&1; then
    pass "lintian finds no error"
else
    fail "lintian finds errors"
fi
grep -v 'running with root privileges' build/lintian.txt | sed 's/^/    lintian: /' || true

echo
echo "Packages tested in $(($(date +%s) - started)) s"
echo "packages: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
