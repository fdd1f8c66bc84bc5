#!/usr/bin/env bash
# slotwise-cli from start to end on a drive image, as a user would drive it, judged by tools
# nobody here wrote: fsck.fat -n and mtools on every block written (at its byte offset in the
# image), 7-Zip on an exported image. The whole transcript is compared with a golden file.
#
# Usage: scenario.sh SLOTWISE_CLI GOLDEN_FILE (see transcript.sh)
set -u
tools="fsck.fat mdir mcopy 7z flock"
. "$(dirname "$0")/transcript.sh"

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
run format drive.img 1,6 --type 1.2M --yes
run format drive.img 2,4 --type 720K --yes
run format drive.img 3 --dos 6.22 --yes
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
for block in 2 4 5 7; do before[$block]=$(slot_sum $block); done
run format drive.img 4,5
unchanged 4
run write-image drive.img five.img 4,5
unchanged 5
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
run format drive.img 6 --quick --yes
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

section "Names: saved as Windows and DOS can open them; ls, open, mdir and 7-Zip show the same"
# Each name the block cannot hold as it is is named in a warning. mdir shows a character beyond
# the 16-bit range as "__"; open leaves out the 255-character name (a PC path of at most 210).
mkdir -p names/FLOPPY004
long=$(printf 'Long name %.0s' {1..23})
for name in README.TXT notes.TXT x.jpeg 'a b.txt' Café.txt über.txt é.txt ab.verylongname lower.txt MiXeD.TxT \
    Makefile 'colon:name.txt' 'star*.txt' 'quote"name.txt' 'back\slash.txt' 'trailing dot.' 'trailing blank ' \
    'tab	name.txt' $'new\nline.txt' UPPER.TXT upper.txt $'bad\xffbyte.txt' $'surrogate\xed\xb2\x80.txt' CON AUX.TXT 'Report for May.txt' \
    'Report for June.txt' '😀 smile.txt' "${long:0:251}.txt"; do
    printf '%s' "$name" >"names/FLOPPY004/$name"
done
find names -exec touch -d '2024-03-05 10:20:30' {} +
run save drive.img 4 --dir names
judge 4
run ls drive.img 4
run open drive.img 4 --dir names-back
dd if=drive.img of=block.img bs=512 skip=$((4 * 3072)) count=1440 status=none
for reader in open 7z; do
    case $reader in
    open) listed=$(ls -A names-back/FLOPPY004 | sort) ;;
    7z) listed=$(7z l -ba -slt block.img | sed -n 's/^Path = //p' | sort) ;;
    esac
    difference=$(diff <(ls_paths 4) <(echo "$listed"))
    say "ls and $reader: ${difference:-the same $(echo "$listed" | wc -l) names}"
done
run settings FileExistMode overwrite
run save drive.img 4 --dir names
ls_paths 4 | grep -i upper >&3
say "\$ mcopy ØRE.TXT into block 4 (mtools writes its 8.3 name in code page 850)"
printf 'o' >ØRE.TXT
touch -d '2024-03-05 10:20:30' ØRE.TXT
mcopy -m -i "drive.img@@$(offset 4)" ØRE.TXT ::/ 2>&1 | sed 's/^/! /' >&3
for option in "" "--codepage 850" "--codepage 1"; do
    say "\$ slotwise-cli ls drive.img 4${option:+ $option} | grep RE.TXT"
    "$cli" ls drive.img 4 $option 2>&1 | grep -e RE.TXT -e codepage >&3
done
run settings CodePage 850
say "ls now: $("$cli" ls drive.img 4 | grep RE.TXT)"
run settings CodePage 1
run settings CodePage system

section "Usage errors exit with 2, failures with 1"
for command in drives create-image list ls format-drive format open save write-image export-image backup settings; do
    "$cli" "$command" --help >/dev/null 2>&1
    say "$command --help: exit $?"
done
run
run frobnicate
run lst drive.img
run exprot-image drive.img 1 x.img
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

section "A read-only image is read, not changed; a drive another command holds is refused"
"$cli" create-image ro.img --size 4M && "$cli" format-drive ro.img --blocks 2 --yes >/dev/null &&
    "$cli" save ro.img 1 --dir src && chmod a-w ro.img && cp ro.img ro-before.img
# Root may write any file: the read-only image is then tried as nobody.
as_user() { if [ "$(id -u)" = 0 ]; then setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; else "$@"; fi; }
chmod 777 . && mkdir -m 777 ro-out ro-bk
for command in "list ro.img" "ls ro.img 1" "open ro.img 1 --dir ro-out" "export-image ro.img 1 ro-out/1.img" \
    "backup ro.img --dir ro-bk" "format ro.img 1 --yes" "save ro.img 1 --dir src" "write-image ro.img five.img 1 --yes"; do
    as_user "$cli" $command >out.txt 2>err.txt
    rc=$?
    say "\$ slotwise-cli $command (as a user who may not write ro.img): $(wc -l <out.txt) lines out [exit $rc]"
    sed 's/^/! /' err.txt >&3
done
same_tree src/FLOPPY001 ro-out/FLOPPY001
cmp ro.img ro-before.img && say "ro.img is byte for byte what it was"
cp drive.img drive-before.img
say "\$ flock -s drive.img: while another command reads the drive"
for command in "list drive.img" "ls drive.img 5" "save drive.img 5 --dir src" "format-drive drive.img --blocks 2 --yes" \
    "create-image drive.img --size 2M --force"; do
    say "\$ slotwise-cli $command: $(flock -s drive.img "$cli" $command 2>&1 >/dev/null)[exit $?]"
done
say "\$ flock -x drive.img: while another command writes the drive"
say "\$ slotwise-cli list drive.img: $(flock -x drive.img "$cli" list drive.img 2>&1 >/dev/null)[exit $?]"
cmp drive.img drive-before.img && say "drive.img is byte for byte what it was"

section "Ctrl+C: at a question nothing is changed; in a job the block in progress is completed or left as it was"
run create-image large.img --size 151M
interrupt_on_terminal "[y/N]" format-drive large.img --blocks 100
run list large.img
run format drive.img 4 --quick --yes  # empty again after the names section
for block in 0 2 3 4; do before[$block]=$(slot_sum $block); done
interrupt_on_terminal "[y/N]" format drive.img 4
unchanged 4
interrupt_on_terminal "[y/N]" write-image drive.img text.img 0,4
unchanged 0
unchanged 4
interrupt_on_terminal "c[a]ncel:" save drive.img 2,3 --dir big
unchanged 2
unchanged 3

finish
