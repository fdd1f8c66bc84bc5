#!/usr/bin/env bash
# Checks that every function the given 32-bit executables import exists on Windows XP: a C file
# names each imported function and is compiled against the Windows and C runtime headers as they
# are for XP (_WIN32_WINNT=0x0501). A name those headers do not declare is a failure, unless it is
# in the allow-list below. Prints one line per executable and exits 1 on the first failure.
# Usage: scripts/xp-imports.sh EXE...
set -euo pipefail

# Not declared by any public header, but exported by msvcrt.dll since Windows NT 4: the C
# runtime's start-up and locking entry points, which the compiler's start-up code calls.
allowed="__getmainargs __wgetmainargs __initenv __winitenv __set_app_type __setusermatherr __p__commode
_amsg_exit _initterm _lock _unlock"

headers="windows.h aclapi.h commctrl.h commdlg.h setupapi.h shellapi.h shlobj.h objbase.h dbt.h winioctl.h
stdio.h stdlib.h string.h wchar.h wctype.h ctype.h locale.h time.h signal.h setjmp.h io.h fcntl.h
direct.h sys/stat.h sys/utime.h process.h malloc.h errno.h"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for exe in "$@"; do
    # "DLL Name: KERNEL32.dll", then one line per function: address, hint, name.
    i686-w64-mingw32-objdump -p "$exe" |
        awk '/DLL Name:/ { dll = $3; next } dll && NF == 3 && $1 ~ /^[0-9a-f]+$/ { print dll, $3 }' |
        sort -u >"$work/imports"
    : >"$work/check.c"
    for h in $headers; do echo "#include <$h>" >>"$work/check.c"; done
    echo "void xp_imports(void) {" >>"$work/check.c"
    count=0
    while read -r dll name; do
        count=$((count + 1))
        case " $(echo $allowed) " in *" $name "*) continue ;; esac
        echo "    (void)($name); /* $dll */" >>"$work/check.c"
    done <"$work/imports"
    echo "}" >>"$work/check.c"
    if i686-w64-mingw32-gcc -D_WIN32_WINNT=0x0501 -DWINVER=0x0501 -DUNICODE -D_UNICODE \
        -c "$work/check.c" -o "$work/check.o" 2>"$work/errors"; then
        echo "$(basename "$exe"): all $count imported functions exist on Windows XP"
    else
        echo "$(basename "$exe"): imports that Windows XP does not have:"
        grep -oE "‘[A-Za-z0-9_@]+’ undeclared|'[A-Za-z0-9_@]+' undeclared" "$work/errors" | tr -d "‘’'" |
            sed 's/ undeclared//' | sort -u | while read -r name; do
            echo "    $name ($(awk -v n="$name" '$2 == n { print $1 }' "$work/imports"))"
        done
        grep -q "undeclared" "$work/errors" || cat "$work/errors"
        status=1
    fi
done
exit $status
