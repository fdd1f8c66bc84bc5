#!/usr/bin/env bash
# slotwise-cli's commands on files in place (ls, get, put, rm, mkdir, find, save --dry-run) on a
# drive image, judged by tools nobody here wrote: fsck.fat -n and mdir/mcopy on every block
# changed, cmp for what was copied out and for refusals, which must leave the drive byte for byte
# as it was. The whole transcript is compared with a golden file.
#
# Usage: files.sh SLOTWISE_CLI GOLDEN_FILE (SLOTWISE_UPDATE_GOLDEN=1 writes the golden file)
set -u
tools="fsck.fat mdir mcopy"
. "$(dirname "$0")/transcript.sh"

at() { echo "drive.img@@$(($1 * 3072 * 512))"; }
slot() { dd if=drive.img bs=512 skip=$(($1 * 3072)) count=3072 status=none; }

# fsck.fat's verdict on the slot, and whether mdir and ls agree on the free bytes and the names.
judge() {
    local block=$1 fsck names ours theirs
    slot "$block" >block.img
    fsck=$(fsck.fat -n block.img 2>&1)
    [ $? -eq 0 ] && [ "$(echo "$fsck" | wc -l)" -eq 2 ] && fsck="clean, ${fsck##*: }"
    ours=$("$cli" ls drive.img "$block" | sed -n 's/.*; \([0-9]*\) bytes free.*/\1/p')
    theirs=$(mdir -i "$(at "$block")" :: | sed -n 's/ //g; s/bytesfree//p')
    names=$(diff <("$cli" ls drive.img "$block" --json | sed -n 's/^ *"path": "\(.*\)",$/\1/p' | sort) \
        <(mdir -/ -b -i "$(at "$block")" :: | sed 's|^::/||; s|/$||' | sort))
    say "block $block: fsck.fat ${fsck}; free bytes: ls $ours, mdir $theirs; names: ${names:-ls and mdir agree}"
}
# Refusals: the drive must be byte for byte what it was.
keep() { cp drive.img before.img; }
unchanged() { if cmp -s drive.img before.img; then say "drive unchanged"; else say "drive CHANGED"; fi; }
# Sectors of a slot that differ from before.img's, the header sector (renew time) aside.
changed_sectors() {
    cmp -l <(dd if=before.img bs=512 skip=$(($1 * 3072)) count=3071 status=none) <(slot "$1" | head -c $((3071 * 512))) |
        awk '{print int(($1 - 1) / 512)}' | uniq | wc -l
}
tree_of() { (cd "$1" && find . -printf '%P %y %s %TY-%Tm-%Td %TH:%TM\n' | sort); }

mkdir -p "pc/Letters to the editor/Notes and replies" pc/EMPTY
printf 'Dear editor,\n' >"pc/Letters to the editor/First draft of a letter.txt"
head -c 513 /dev/urandom >"pc/Letters to the editor/Notes and replies/one byte over.dat"
head -c 4097 /dev/urandom >pc/ODD4097.BIN
printf 'abc' >"pc/mixed Case.Txt"
printf 'short' >pc/small.txt
printf 'q' >'pc/what?.txt'
head -c 800000 /dev/urandom >pc/big.bin
mkdir -p pc2/small.txt
find pc -exec touch -d '2024-03-05 10:20:30' {} +

section "A drive of four blocks; block 1 filled by save, then changed in place"
run create-image drive.img --size 8M
run format-drive drive.img --blocks 4 --yes
mkdir -p base/FLOPPY001/DOCS
head -c 600000 /dev/urandom >base/FLOPPY001/DATA.BIN
printf 'readme' >base/FLOPPY001/DOCS/README.TXT
find base -exec touch -d '2023-01-02 03:04:06' {} +
run save drive.img 1 --dir base
keep
run put drive.img 1 pc/small.txt
say "sectors changed besides the header: $(changed_sectors 1)"
judge 1
keep
run put drive.img 1 "pc/Letters to the editor" pc/ODD4097.BIN --to docs
say "sectors changed besides the header: $(changed_sectors 1)"
run ls drive.img 1
run ls drive.img 1 "DOCS/letters to the editor"
run ls drive.img 1 docs/odd4097.bin --json
judge 1
mcopy -n -i "$(at 1)" "::DOCS/Letters to the editor/First draft of a letter.txt" mcopied.txt
cmp -s mcopied.txt "pc/Letters to the editor/First draft of a letter.txt" && say "mcopy reads the letter back byte for byte"

section "Replacing, making and removing"
printf 'a longer text than before' >pc/small.txt
touch -d '2024-06-07 08:09:10' pc/small.txt
keep
run put drive.img 1 pc/small.txt --force
say "sectors changed besides the header: $(changed_sectors 1)"
mcopy -n -i "$(at 1)" ::SMALL.TXT small.txt && cmp -s small.txt pc/small.txt && say "mcopy reads the new small.txt"
run mkdir drive.img 1 "New folder/Deeper one" -p
run mkdir drive.img 1 "New folder/Deeper one" -p
run ls drive.img 1 "new folder" --json
run mkdir drive.img 1 UNREAD --no-verify
run rm drive.img 1 DATA.BIN "docs/Letters to the editor" -r
judge 1

section "Copying out with get"
run get drive.img 1 DOCS --to got
say "got/DOCS: $(tree_of got/DOCS | tr '\n' ';')"
cmp -s got/DOCS/ODD4097.BIN pc/ODD4097.BIN && say "ODD4097.BIN came out byte for byte"
printf 'mine' >got/small.txt
run get drive.img 1 small.txt --to got --exist rename
say "got holds: $(ls got | tr '\n' ' '); small.txt holds '$(cat got/small.txt)'"
run get drive.img 1 small.txt --to got
say "small.txt holds '$(cat got/small.txt)', $(stat -c %y got/small.txt | cut -c1-19)"
"$cli" settings FileExistMode rename >/dev/null
run get drive.img 1 small.txt --to got
say "with the setting FileExistMode rename, got holds: $(ls got | tr '\n' ' ')"
"$cli" settings FileExistMode overwrite >/dev/null

section "find in every block"
run put drive.img 2 "pc/mixed Case.Txt" pc/EMPTY
run put drive.img 2 'pc/what?.txt'
run put drive.img 3 pc/big.bin
run mkdir drive.img 3 MORE
run put drive.img 3 pc/big.bin --force
judge 2
judge 3
run find drive.img '*.txt'
run find drive.img 'mixedc~1.*' --json
run find drive.img '*e*' --blocks 2,3
run find drive.img nothing-like-this

section "save --dry-run"
run open drive.img 1 --dir opened
rm opened/FLOPPY001/DOCS/ODD4097.BIN
printf 'changed' >opened/FLOPPY001/small.txt
printf 'new' >opened/FLOPPY001/NEW.TXT
keep
mkdir opened/FLOPPY002
run save drive.img 1-3 --dir opened --dry-run
run save drive.img 1 --dir opened --dry-run --json
printf 'one' >opened/FLOPPY002/Twin.txt
printf 'two' >opened/FLOPPY002/TWIN.TXT
printf 'odd' >'opened/FLOPPY002/what?.txt'
run save drive.img 2 --dir opened --dry-run
mkdir opened/FLOPPY003
for i in $(seq 1 230); do : >opened/FLOPPY003/f$i.txt; done
run save drive.img 3 --dir opened --dry-run
rm -r opened/FLOPPY003 && mkdir opened/FLOPPY003
head -c 1000000 /dev/urandom >opened/FLOPPY003/a.bin && cp opened/FLOPPY003/a.bin opened/FLOPPY003/b.bin
run save drive.img 3 --dir opened --dry-run --json
unchanged

section "Refusals"
keep
run put drive.img 1 pc/small.txt
unchanged
run put drive.img 1 pc/big.bin pc/big.bin --to DOCS
run put drive.img 3 pc/big.bin --to MORE
run put drive.img 1 pc/no-such-file
run put drive.img 1 pc/small.txt --to NOWHERE
run put drive.img 1 pc/small.txt --to SMALL.TXT
run put drive.img 1 pc2/small.txt
run put drive.img 9 pc/small.txt
run put drive.img 1,2 pc/small.txt
run rm drive.img 1 "New folder"
run rm drive.img 1 NOTHERE.TXT SMALL.TXT
run rm drive.img 1 /
run mkdir drive.img 1 "New folder"
run mkdir drive.img 1 a/b
run get drive.img 1 NOTHERE.TXT --to got
run ls drive.img 1 NOTHERE
unchanged
printf 'no volume here' >text.img
run write-image drive.img text.img 0 --yes
keep
run put drive.img 0 pc/small.txt
unchanged
run find drive.img '*.bin'
for command in ls get put rm mkdir find; do
    "$cli" "$command" --help >/dev/null 2>&1
    say "$command --help: exit $?"
done
run find drive.img
run get drive.img 1 x --exist ask

# Folders made now carry today's time.
sed -i -e "s/$(date +%Y-%m-%d)[ T][0-2][0-9]:[0-5][0-9]:[0-5][0-9]/<now>/g" "$transcript"
finish
