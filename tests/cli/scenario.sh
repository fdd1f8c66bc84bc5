#!/usr/bin/env bash
# slotwise-cli from start to end on a drive image, as a user would drive it, judged by tools
# nobody here wrote: fsck.fat -n and mtools on every block written (at its byte offset in the
# image), 7-Zip on an exported image. The whole transcript is compared with a golden file.
#
# Usage: scenario.sh SLOTWISE_CLI GOLDEN_FILE
# SLOTWISE_UPDATE_GOLDEN=1 writes the golden file instead (read the change before committing it).
set -u
cli=$(realpath "$1") golden=$(realpath -m "$2")
export PATH=$PATH:/usr/sbin:/sbin  # fsck.fat
for tool in fsck.fat mdir mcopy 7z script; do
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
    "$cli" "$@" >out.txt 2>err.txt </dev/null
    local rc=$?
    cat out.txt >&3
    sed 's/^/! /' err.txt >&3
    [ $rc -eq 0 ] || say "[exit $rc]"
}

# The same on a terminal, typing `typed`: what the terminal showed, one progress frame a line.
run_on_terminal() {
    local typed=$1
    shift
    say "\$ slotwise-cli $* (on a terminal, typing ${typed@Q})"
    printf '%s' "$typed" | script -qec "$(printf '%q ' "$cli" "$@")" /dev/null >out.txt 2>&1
    local rc=$?
    tr '\r' '\n' <out.txt | sed 's/ *$//' | grep -v '^$' >&3
    [ $rc -eq 0 ] || say "[exit $rc]"
}

offset() { echo $(($1 * 3072 * 512)); }
slot_sum() { dd if=drive.img bs=512 skip=$(($1 * 3072)) count=3072 status=none | sha256sum; }
# Checks that a refused command left the slot exactly as it was before.
unchanged() {
    if [ "$(slot_sum "$1")" = "${before[$1]}" ]; then say "slot $1 unchanged"; else say "slot $1 CHANGED"; fi
}

# The block list as JSON: "block format freeSectors" for each block.
list_facts() {
    "$cli" list drive.img --json | awk -F': ' '
        /"block"/ {b = $2 + 0} /"format"/ {f = $2} /"freeSectors"/ {gsub(/[",]/, "", f); print b, f, $2 + 0}'
}

# The paths slotwise-cli ls gives a block (folders with a slash), sorted.
ls_paths() {
    "$cli" ls drive.img "$1" | awk '/^[0-9]+-/ {p = substr($0, 55); if ($4 == "<DIR>") p = p "/"; print p}' | sort
}

# One line per block: fsck.fat's verdict on the slot cut out of the image, the free space as the
# block list and mdir count it, and whether ls and mdir name the same files and folders.
judge() {
    local facts block format free fsck mdir_free names line
    facts=$(list_facts)
    for block in "$@"; do
        dd if=drive.img of=block.img bs=512 skip=$((block * 3072)) count=3072 status=none
        line="block $block"
        if fsck=$(fsck.fat -n block.img 2>&1) && [ "$(echo "$fsck" | wc -l)" -eq 2 ]; then
            line+=" fsck.fat clean, ${fsck##*: }"
        else
            line+=" fsck.fat says:"$'\n'"$(echo "$fsck" | tail -n +2)"$'\n'
        fi
        read -r _ format free <<<"$(echo "$facts" | awk -v b="$block" '$1 == b')"
        mdir_free=$(mdir -i "drive.img@@$(offset "$block")" :: | sed -n 's/ //g; s/bytesfree//p')
        if [ "$((free * 512))" = "$mdir_free" ]; then
            line+="; $format, $mdir_free bytes free in list and mdir"
        else
            line+="; $format, list: $free free sectors, mdir: $mdir_free bytes free"
        fi
        names=$(diff <(ls_paths "$block") <(mdir -/ -b -i "drive.img@@$(offset "$block")" :: 2>/dev/null | sed 's|^::/||' | sort))
        if [ -z "$names" ]; then
            line+="; ls and mdir name the same $(ls_paths "$block" | wc -l) files and folders"
        else
            line+="; ls (<) and mdir (>) differ:"$'\n'"$names"
        fi
        say "$line"
    done
}

# Every file below a folder: path, size and time, to compare trees.
tree_of() { (cd "$1" && find . -type f -printf '%P %s %TY-%Tm-%Td %TH:%TM\n' | sort); }
same_tree() {
    local difference
    difference=$(diff <(tree_of "$1") <(tree_of "$2") && diff -r "$1" "$2")
    if [ -z "$difference" ]; then say "$2 holds what $1 holds, byte for byte"; else say "$difference"; fi
}

# The corpus: long names, nested folders, an empty file and folder, sizes around sector and
# cluster edges, one file of 200,000 bytes.
make_corpus() {
    local dir=$1
    mkdir -p "$dir/Letters to the editor/Notes and replies/Deeper still" "$dir/EMPTY"
    printf 'Dear editor,\n' >"$dir/Letters to the editor/First draft of a letter.txt"
    head -c 512 /dev/urandom >"$dir/Letters to the editor/Notes and replies/exactly one sector.dat"
    head -c 513 /dev/urandom >"$dir/Letters to the editor/Notes and replies/Deeper still/one byte over.dat"
    head -c 200000 /dev/urandom >"$dir/Program data file.bin"
    head -c 4097 /dev/urandom >"$dir/ODD4097.BIN"
    : >"$dir/ZERO.TXT"
    printf 'abc' >"$dir/a.b.c.d"
    printf 'abc' >"$dir/mixed Case.Txt"
    printf 'abc' >"$dir/.hidden"
    find "$dir" -exec touch -d '2024-03-05 10:20:30' {} +
}

section "A new drive image"
run create-image drive.img --size 1M
run create-image drive.img --size 16M
printf 'precious' >keep.img
run create-image keep.img --size 2M
say "keep.img holds: $(cat keep.img)"
run create-image keep.img --size 2M --force
say "keep.img: $(stat -c %s keep.img) bytes, $(tr -d '\0' <keep.img | wc -c) of them not zero"
run list drive.img
run open drive.img 1 --dir out

section "Formatting the drive: refused without an answer, then 8 blocks of the three formats"
run format-drive drive.img --blocks 8
run_on_terminal $'n\n' format-drive drive.img --blocks 8 --quick
run format-drive drive.img --blocks 11 --yes
run format-drive drive.img --blocks 0 --yes
run list drive.img
run_on_terminal $'y\n' format-drive drive.img --blocks 3 --quick
run format-drive drive.img --blocks 8 --yes
run format drive.img 1,6 --type 1.2M
run format drive.img 2,4 --type 720K
run format drive.img 3 --dos 6.22
run list drive.img
run list drive.img --json
judge 0 1 2 3 4 5 6 7
run ls drive.img 3

section "Saving a corpus into a block of each format and opening it back"
for block in 1 2 5; do make_corpus "src/FLOPPY00$block"; done
run save drive.img 1,2,5 --dir src
run ls drive.img 5
judge 1 2 5
mcopy -s -m -i "drive.img@@$(offset 5)" :: mcopied
same_tree src/FLOPPY005 mcopied
run open drive.img 1,2,5 --dir out
for block in 1 2 5; do same_tree "src/FLOPPY00$block" "out/FLOPPY00$block"; done

section "Export and write images"
run export-image drive.img 5 five.img
say "five.img: $(stat -c %s five.img) bytes; fsck.fat: $(fsck.fat -n five.img | tail -1 | sed 's/.*: //')"
cmp <(head -c 1474560 five.img) <(dd if=drive.img bs=512 skip=$((5 * 3072)) count=2880 status=none) &&
    say "five.img is block 5's volume, byte for byte"
say "\$ 7z l five.img (names)"
7z l -ba -slt five.img | sed -n 's/^Path = //p' | sort >&3
run write-image drive.img five.img 6
run list drive.img
judge 6
[ "$("$cli" ls drive.img 6)" = "$("$cli" ls drive.img 5)" ] && say "ls of block 6 is ls of block 5"

section "Refusals: each leaves its slot byte for byte as it was"
for block in 2 4 7; do before[$block]=$(slot_sum $block); done
head -c 1572865 /dev/zero >too-large.img
run write-image drive.img too-large.img 4
unchanged 4
run write-image drive.img missing.img 4
unchanged 4
head -c 1000 /dev/zero | tr '\0' x >text.img
run write-image drive.img text.img 4
unchanged 4
run export-image drive.img 5 no/such/folder/x.img
mkdir -p big/FLOPPY002
head -c 800000 /dev/urandom >big/FLOPPY002/LARGER.BIN
cp big/FLOPPY002/LARGER.BIN big/FLOPPY002/SECOND.BIN
run save drive.img 2 --dir big
unchanged 2
run save drive.img 2 --dir big --yes
unchanged 2
run_on_terminal $'c\n' save drive.img 2 --dir big
unchanged 2
run write-image drive.img text.img 7 --yes
cmp <(dd if=drive.img bs=512 skip=$((7 * 3072)) count=2 status=none) <(cat text.img; head -c 24 /dev/zero) &&
    say "block 7 starts with text.img and 24 zero bytes"
run list drive.img
before[7]=$(slot_sum 7)
run save drive.img 7 --dir src
unchanged 7

section "Backup"
run backup drive.img --dir bk
same_tree src/FLOPPY005 bk/*/FLOPPY005
say "bk/<stamp> holds: $(ls bk/*/ | tr '\n' ' ')"

section "A damaged block: a folder that holds itself"
mkdir -p loop/FLOPPY006/OUTER/INNER
echo inside >loop/FLOPPY006/OUTER/INNER/FILE.TXT
find loop -exec touch -d '2024-03-05 10:20:30' {} +
run format drive.img 6 --quick
run save drive.img 6 --dir loop
# Block 6 is a 1.44M volume: root folder at sector 19 (OUTER after the volume label), cluster c
# at sector 33 + c - 2, INNER third in OUTER after "." and "..". INNER now starts where OUTER does.
le16() { od -An -tu2 -j "$1" -N2 drive.img | tr -d ' '; }
outer=$(le16 $(($(offset 6) + 19 * 512 + 32 + 26)))
inner_entry=$(($(offset 6) + (33 + outer - 2) * 512 + 64))
printf "$(printf '\\%03o\\%03o' $((outer & 255)) $((outer >> 8)))" |
    dd of=drive.img bs=1 seek=$((inner_entry + 26)) conv=notrunc status=none
dd if=drive.img of=block.img bs=512 skip=$((6 * 3072)) count=3072 status=none
say "\$ fsck.fat -n block 6"
fsck.fat -n block.img | tail -n +2 >&3
run ls drive.img 6

section "Settings: the store the window reads, and what open takes from it"
run settings
run settings FileExistMode rename
run settings SavePath uploads
run settings ReadOpenDirBit 7
run settings Colour
say "\$ cat ~/.config/slotwise/settings.ini"
cat .config/slotwise/settings.ini >&3
say "\$ XDG_CONFIG_HOME=xdg slotwise-cli settings FileExistMode (a relative folder is passed over)"
XDG_CONFIG_HOME=xdg "$cli" settings FileExistMode >&3
XDG_CONFIG_HOME=$scratch/xdg "$cli" settings FileExistMode 1 >/dev/null
say "\$ XDG_CONFIG_HOME=<scratch>/xdg slotwise-cli settings FileExistMode 1: $(ls xdg/slotwise)"
run open drive.img 1
run open drive.img 1 --no-clear
ls uploads/drive.img/FLOPPY001 | sed 's/^/  /' >&3

section "Usage errors exit with 2, failures with 1"
for command in drives create-image list ls format-drive format open save write-image export-image backup settings; do
    "$cli" "$command" --help >/dev/null 2>&1
    say "$command --help: exit $?"
done
run
run frobnicate
run list
run format drive.img 3-1
run format drive.img 1,x
run format drive.img 100
run format drive.img 1 --type 2.88M
run format-drive drive.img --blocks 3 --dos 5.0
run open drive.img 1 --clear --no-clear
run export-image drive.img 1,2 x.img
run open drive.img 9 --dir out
run list missing.img
drives=$("$cli" drives --json)
say "drives --json: exit $?, ${drives:0:1} ... ${drives: -1} (an array, whatever sticks this machine has)"

section "Ctrl+C during format-drive: the drive holds the blocks done, and says so"
run create-image large.img --size 151M
say "\$ slotwise-cli format-drive large.img --blocks 100 --yes (on a terminal, Ctrl+C after the first block)"
coproc FORMAT { script -qefc "$(printf '%q ' "$cli" format-drive large.img --blocks 100 --yes)" /dev/null; echo "[exit $?]"; }
exec {from}<&"${FORMAT[0]}" {to}>&"${FORMAT[1]}"
while IFS= read -r -d $'\r' -u $from frame; do
    case $frame in *" - 1/100"*) printf '\003' >&$to && break ;; esac
done
tr '\r' '\n' <&$from | grep -v -e '^ *$' -e '^\[[#.]*\] ' >interrupted.txt
done_blocks=$(sed -n 's/.*holds \([0-9]*\) of the 100 blocks.*/\1/p' interrupted.txt)
sed "s/holds $done_blocks of/holds <n> of/" interrupted.txt >&3
listed=$("$cli" list large.img | tail -n +2 | wc -l)
header=$(dd if=large.img bs=1 skip=$((3071 * 512 + 80)) count=13 status=none)
after=$(dd if=large.img bs=1 skip=$((done_blocks * 3072 * 512)) count=3 status=none | tr -d '\0' | wc -c)
if [ "$listed" = "$done_blocks" ] && [ "$header" = "$(printf 'MAX BLOCK:%03d' "$done_blocks")" ] && [ "$after" = 0 ]; then
    say "list, block 0's header and the jump bytes of the next slot agree: <n> blocks"
else
    say "<n> = $done_blocks, but list shows $listed blocks, the header says '$header', the next slot's jump holds $after non-zero bytes"
fi

exec 3>&-
sed -e "s|$scratch|<scratch>|g" \
    -e 's/20[0-9][0-9]-[01][0-9]-[0-3][0-9] [0-2][0-9]-[0-5][0-9]-[0-5][0-9]/<renew time>/g' \
    -e 's|bk/[0-9]\{14\}|bk/<stamp>|g' "$transcript" >filtered.txt
if [ "${SLOTWISE_UPDATE_GOLDEN:-}" = 1 ]; then
    cp filtered.txt "$golden"
    exit 0
fi
if ! diff -u "$golden" filtered.txt; then
    echo "The transcript above (+) differs from $golden (-)."
    exit 1
fi
