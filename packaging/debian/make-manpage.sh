#!/bin/sh
# Writes slotwise-cli's gzipped man page from its own help: help2man turns the main help and
# --version into the page, and each command's --help becomes a subsection of COMMANDS.
#   make-manpage.sh SLOTWISE-CLI OUTPUT.1.gz
set -eu
cli=$1
out=$2
include=$out.include
trap 'rm -f "$include"' EXIT

# roff takes a leading dot or quote as a request and a backslash as an escape.
roff_text() { sed -e 's/\\/\\e/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"; }

commands=$("$cli" --help | sed -n '/^Subcommands:/,$p' | sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p')
[ -n "$commands" ] || { echo "make-manpage.sh: no commands in $cli --help" >&2; exit 1; }
{
    echo "[COMMANDS]"
    for command in $commands; do
        echo ".SS $command"
        echo ".nf"
        "$cli" "$command" --help | roff_text
        echo ".fi"
    done
} >"$include"

help2man --no-info --section=1 --name="floppy disk blocks on USB sticks of floppy-drive emulators" \
    --include="$include" "$cli" | gzip -n -9 >"$out"
