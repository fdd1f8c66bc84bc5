# What the slotwise-cli scripts share: a scratch folder to work in, a transcript of every command
# with its output, errors and exit status, and the comparison of that transcript with a golden
# file. Sourced by scenario.sh and the other scripts here, with $1 the program and $2 the golden
# file; SLOTWISE_UPDATE_GOLDEN=1 writes the golden file instead (read the change before
# committing it).
cli=$(realpath "$1") golden=$(realpath -m "$2")
export PATH=$PATH:/usr/sbin:/sbin  # fsck.fat
# Each script names the tools it needs beyond these.
for tool in script ${tools:-}; do
    command -v $tool >/dev/null || { echo "$tool is not installed (scripts/setup.sh installs it): skipped"; exit 77; }
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
# The settings live in ~/.config/slotwise when XDG_CONFIG_HOME is not set (or not absolute).
unset XDG_CONFIG_HOME
export HOME=$scratch LC_ALL=C.UTF-8 TZ=UTC MTOOLS_SKIP_CHECK=1
transcript=$scratch/transcript.txt
exec 3>"$transcript"

say() { printf '%s\n' "$*" >&3; }
section() { say ""; say "## $*"; }

# Runs slotwise-cli: the command line, its output, its errors marked "! ", a non-zero exit status.
run() {
    say "\$ slotwise-cli $*"
    "$cli" "$@" >"$scratch/out.txt" 2>"$scratch/err.txt" </dev/null
    local rc=$?
    cat "$scratch/out.txt" >&3
    sed 's/^/! /' "$scratch/err.txt" >&3
    [ $rc -eq 0 ] || say "[exit $rc]"
}

# The same on a terminal, typing `typed`: what the terminal showed, one progress frame a line.
run_on_terminal() {
    local typed=$1
    shift
    say "\$ slotwise-cli $* (on a terminal, typing ${typed@Q})"
    printf '%s' "$typed" | script -qec "$(printf '%q ' "$cli" "$@")" /dev/null >"$scratch/out.txt" 2>&1
    local rc=$?
    tr '\r' '\n' <"$scratch/out.txt" | sed 's/ *$//' | grep -v '^$' >&3
    [ $rc -eq 0 ] || say "[exit $rc]"
}

# The same, typing Ctrl+C as soon as the terminal shows `prompt`.
interrupt_on_terminal() {
    local prompt=$1 seen='' c
    shift
    say "\$ slotwise-cli $* (on a terminal, Ctrl+C at '$prompt')"
    coproc RUNNING { script -qefc "$(printf '%q ' "$cli" "$@")" /dev/null; echo "[exit $?]"; }
    local pid=$RUNNING_PID
    exec {from}<&"${RUNNING[0]}" {to}>&"${RUNNING[1]}"
    while [[ $seen != *"$prompt"* ]] && IFS= read -r -N1 -u $from c; do seen+=$c; done
    printf '\003' >&$to
    { printf '%s' "$seen"; cat <&$from; } | tr '\r' '\n' | sed 's/ *$//' | grep -v '^$' >&3
    exec {from}<&- {to}>&-
    wait "$pid" 2>/dev/null
}

# A transcript made fixed: the scratch folder, renew times and backup stamps, and a byte that is
# no UTF-8 (Latin-1 é) shown as <e9> so that the golden file stays text.
fixed() {
    sed -e "s|$scratch|<scratch>|g" \
        -e 's/20[0-9][0-9]-[01][0-9]-[0-3][0-9] [0-2][0-9]-[0-5][0-9]-[0-5][0-9]/<renew time>/g' \
        -e 's|/[0-9]\{14\}|/<stamp>|g' "$1" | LC_ALL=C sed 's/\xe9/<e9>/g'
}

# Ends the script: the fixed transcript compared whole with the golden file.
finish() {
    exec 3>&-
    fixed "$transcript" >"$scratch/filtered.txt"
    if [ "${SLOTWISE_UPDATE_GOLDEN:-}" = 1 ]; then
        cp "$scratch/filtered.txt" "$golden"
        exit 0
    fi
    if ! diff -u "$golden" "$scratch/filtered.txt"; then
        echo "The transcript above (+) differs from $golden (-)."
        exit 1
    fi
}
