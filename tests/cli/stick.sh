#!/usr/bin/env bash
# slotwise-cli's stick-level commands on drive images: check beside fsck.fat -n on sound and
# damaged blocks; backup --images judged by sha256sum and cmp of every slot; restore, copy-block
# and swap-blocks judged by cmp of the slots, fsck.fat and mdir, with every refusal leaving the
# drive byte-identical. The transcript is compared whole with a golden file.
#
# Usage: stick.sh SLOTWISE_CLI GOLDEN_FILE (SLOTWISE_UPDATE_GOLDEN=1 writes the golden file)
tools="fsck.fat mdir sha256sum"
. "$(dirname "$0")/transcript.sh"

slot() { dd if="$1" bs=512 skip=$(($2 * 3072)) count=${3:-3072} status=none; }
sum_of() { sha256sum <"$1" | cut -c1-64; }
# Whether a refused command left the whole drive as it was.
keep() { kept=$(sum_of "$1"); }
unchanged() { if [ "$(sum_of "$1")" = "$kept" ]; then say "$1 unchanged"; else say "$1 CHANGED"; fi; }
# Writes bytes given as octal escapes at a byte offset of a file.
poke() { printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }
header_time() { slot "$1" "$2" | tail -c 512 | head -c 31; echo; }
# Our verdict and fsck.fat's on each block: check's word, and fsck.fat -n on the slot cut out.
verdicts() {
    local drive=$1 block ours theirs
    shift
    for block in "$@"; do
        ours=$("$cli" check "$drive" "$block" 2>/dev/null | cut -c13- | sed 's/:.*//')
        slot "$drive" "$block" >block.img
        theirs=$(fsck.fat -n block.img 2>&1) && [ "$(echo "$theirs" | wc -l)" = 2 ] && theirs=clean || theirs=complains
        mdir -i "$drive@@$((block * 3072 * 512))" :: >/dev/null 2>&1 && theirs+=", mdir reads it" || theirs+=", mdir fails"
        say "block $block: check says $ours; fsck.fat -n $theirs"
    done
}
same_slot() {  # same_slot DRIVE BLOCK DRIVE2 BLOCK2 [SECTORS]: one line, whether the bytes agree
    if cmp -s <(slot "$1" "$2" "${5:-3072}") <(slot "$3" "$4" "${5:-3072}"); then
        say "$1 block $2 and $3 block $4: the same${5:+ first $5 sectors}"
    else say "$1 block $2 and $3 block $4: DIFFERENT${5:+ first $5 sectors}"; fi
}

section "A drive of 8 blocks, three of them holding files"
run create-image drive.img --size 16M
run format-drive drive.img --blocks 8 --yes --quick
run format drive.img 1,6 --type 1.2M --quick --yes
run format drive.img 2 --type 720K --quick --yes
for block in 1 3 4 5; do
    mkdir -p "src/FLOPPY00$block/Sub folder"
    head -c $((block * 3000)) /dev/urandom >"src/FLOPPY00$block/Sub folder/Data file $block.bin"
    head -c 2048 /dev/urandom >"src/FLOPPY00$block/ONE.BIN"
done
run save drive.img 1,3,4,5 --dir src
run check drive.img
verdicts drive.img 0 1 2 3 4 5 6 7

section "Damage: block 3's FATs differ, block 4's file chain loops (cluster 5 back to 3)"
# ONE.BIN is the first file in a block (after the label): clusters 2 to 5. FAT copy 2 of a
# 1.44M volume is at sector 10; cluster 5's entry is the high 12 bits of FAT bytes 7 and 8.
poke drive.img $(((3 * 3072 + 10) * 512 + 10)) '\001'
for fat in 1 10; do poke drive.img $(((4 * 3072 + fat) * 512 + 7)) '\060\000'; done
keep drive.img
run check drive.img
run check drive.img 4 --json
unchanged drive.img
verdicts drive.img 3 4
run check drive.img 9
run check drive.img 1-2,x

section "backup --images: every slot as a file, the manifest's sums as sha256sum makes them"
run backup drive.img --images bk
backup=$(echo bk/*)
say "$backup holds: $(ls "$backup" | tr '\n' ' ')"
sed -e 's/"sha256": "[0-9a-f]\{64\}"/"sha256": <64 hex digits>/' \
    -e 's/"\(renewTime\|created\)": "20[0-9-]*T[0-9:]*"/"\1": <ISO 8601 time>/' "$backup/manifest.json" >&3
sed -n -e 's/.*"file": "\(.*\)".*/\1/p' "$backup/manifest.json" >files.txt
sed -n -e 's/.*"sha256": "\(.*\)".*/\1/p' "$backup/manifest.json" | paste -d' ' - files.txt | sed 's/ /  /' >sums.txt
say "\$ sha256sum -c (the manifest's sums)"
(cd "$backup" && sha256sum -c) <sums.txt >&3 2>&1
for block in 0 1 2 3 4 5 6 7; do
    cmp -s <(slot drive.img $block) "$backup/BLOCK00$block.img" || say "slot $block and BLOCK00$block.img DIFFER"
done
say "each slot of drive.img is its BLOCKkkk.img, byte for byte (cmp)"

section "restore: refusals first, each leaving the drive as it was"
run create-image small.img --size 4M
keep small.img
run restore small.img "$backup" --yes
unchanged small.img
run create-image new.img --size 16M
keep new.img
run restore new.img "$backup"
unchanged new.img
run_on_terminal $'n\n' restore new.img "$backup"
unchanged new.img
interrupt_on_terminal "[y/N]" restore new.img "$backup"
unchanged new.img
cp -r "$backup" tampered
poke tampered/BLOCK003.img 1000 'x'
run restore new.img tampered --yes
unchanged new.img
run restore new.img tampered --yes --blocks 8
unchanged new.img
run restore new.img no-such-folder --yes
unchanged new.img
echo '{"blocks": 3}' >tampered/manifest.json
run restore new.img tampered --yes
unchanged new.img

section "restore: the whole backup onto a new drive, then one block back onto the old one"
run restore new.img "$backup" --yes
cmp -s <(head -c $((8 * 3072 * 512)) drive.img) <(head -c $((8 * 3072 * 512)) new.img) &&
    say "new.img's first 8 slots are drive.img's, byte for byte"
run list new.img
dd if=/dev/zero of=drive.img bs=512 seek=$((5 * 3072)) count=20 conv=notrunc status=none
verdicts drive.img 5
run restore drive.img "$backup" --blocks 5 --yes
same_slot drive.img 5 new.img 5
verdicts drive.img 5

section "copy-block: renews the time, asks before replacing a block with files"
poke drive.img $(((7 * 3072 + 3071) * 512)) 'UPDATE TIME:1999-01-01 00-00-00'
header_time drive.img 7 >&3
run copy-block drive.img 1 7
same_slot drive.img 1 drive.img 7 3071
[ "$(header_time drive.img 7)" = "UPDATE TIME:1999-01-01 00-00-00" ] && say "block 7's renew time UNCHANGED" ||
    say "block 7's renew time renewed"
verdicts drive.img 7
keep drive.img
run copy-block drive.img 5 1
unchanged drive.img
run_on_terminal $'n\n' copy-block drive.img 5 1
unchanged drive.img
interrupt_on_terminal "[y/N]" copy-block drive.img 5 1
unchanged drive.img
run copy-block drive.img 1 1
run copy-block drive.img 1 9
unchanged drive.img
run_on_terminal $'y\n' copy-block drive.img 5 1
same_slot drive.img 5 drive.img 1 3071
run copy-block new.img 5 6 --from drive.img --yes
same_slot drive.img 5 new.img 6 3071
verdicts new.img 6

section "swap-blocks"
slot drive.img 1 >one.img
slot drive.img 2 >two.img
keep drive.img
run swap-blocks drive.img 1 2
unchanged drive.img
interrupt_on_terminal "[y/N]" swap-blocks drive.img 1 2
unchanged drive.img
run swap-blocks drive.img 1 2 --yes
same_slot drive.img 1 two.img 0 3071
same_slot drive.img 2 one.img 0 3071
verdicts drive.img 1 2
run swap-blocks drive.img 2 2

section "help"
run help
run help check
run help frobnicate
say "help restore is restore --help: $(cmp -s <("$cli" help restore) <("$cli" restore --help) && echo yes || echo no)"
finish
