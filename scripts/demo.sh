#!/usr/bin/env bash
# The main job: builds slotwise-cli (installing what the build needs when run as root), makes a
# demo drive image of 64 MiB under build/demo/ if there is none, formats it into 20 floppy disk
# blocks of all three formats (block 000 DOS-bootable), saves a few sample folders with long
# names into blocks, writes an image into one, shows the block list, and then opens the window
# program on the drive (scripts/demo-gui.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

if [ "$(id -u)" -eq 0 ]; then
    bash scripts/setup.sh
fi

echo "== Building slotwise-cli (native preset)"
cmake --preset native >/dev/null
cmake --build --preset native --target slotwise-cli -j 2 | tail -n 1

cli="$root/build/native/cli/slotwise-cli"
demo="$root/build/demo"
image="$demo/demo-drive.img"
mkdir -p "$demo"

# Sample folders for save: block k is read from samples/FLOPPYkkk.
make_samples() {
    local s="$1"
    rm -rf "$s"
    mkdir -p "$s/FLOPPY001/Letters and reports/Drafts" "$s/FLOPPY002/Game saves" \
             "$s/FLOPPY006/Source code of the demo" "$s/FLOPPY011/Recipes from grandmother"
    printf 'Dear reader,\r\nthis letter was saved into floppy disk block 001.\r\n' \
        >"$s/FLOPPY001/Letters and reports/Letter to the reader.txt"
    for quarter in 1 2 3 4; do
        printf 'Quarterly report, quarter %d.\r\nSales were steady.\r\n' "$quarter" \
            >"$s/FLOPPY001/Letters and reports/Quarterly report $quarter.txt"
    done
    printf 'A first draft, not yet read by anyone.\r\n' >"$s/FLOPPY001/Letters and reports/Drafts/Unfinished draft.txt"
    head -c 300000 /dev/urandom >"$s/FLOPPY001/Letters and reports/Scanned signature page.bmp"
    head -c 180000 /dev/urandom >"$s/FLOPPY002/Game saves/Castle level 12.sav"
    head -c 64000 /dev/urandom >"$s/FLOPPY002/Game saves/Dungeon level 3.sav"
    printf 'README for the game saves.\r\n' >"$s/FLOPPY002/README.TXT"
    printf '#include <stdio.h>\n\nint main(void) { puts("hello from a floppy"); return 0; }\n' \
        >"$s/FLOPPY006/Source code of the demo/hello world.c"
    printf 'hello: hello world.c\n\tcc -o hello "hello world.c"\n' >"$s/FLOPPY006/Source code of the demo/Makefile"
    printf 'Apple pie\r\n6 apples, flour, butter, sugar.\r\n' >"$s/FLOPPY011/Recipes from grandmother/Apple pie.txt"
    printf 'Pancakes\r\nFlour, milk, eggs.\r\n' >"$s/FLOPPY011/Recipes from grandmother/Sunday pancakes.txt"
}

if [ -f "$image" ]; then
    echo "== The demo drive exists already: $image (delete it to make a fresh one)"
else
    # Built under another name and renamed at the end, so that an interrupted run leaves no
    # half-made demo drive behind.
    part="$image.part"
    rm -f "$part"
    echo "== Creating a 64 MiB drive image"
    "$cli" create-image "$part" --size 64M --force
    echo "== Formatting the whole drive into 20 blocks of 1.44M"
    "$cli" format-drive "$part" --blocks 20 --quick --yes
    echo "== Block 000: a DOS 6.22 bootable 1.44M floppy"
    "$cli" format "$part" 0 --dos 6.22 --yes
    echo "== Blocks 005-009 as 1.2M, blocks 010-014 as 720K"
    "$cli" format "$part" 5-9 --type 1.2M --quick --yes
    "$cli" format "$part" 10-14 --type 720K --quick --yes
    echo "== Saving sample folders with long names into blocks 001, 002, 006 and 011"
    make_samples "$demo/samples"
    "$cli" save "$part" 1,2,6,11 --dir "$demo/samples"
    echo "== Exporting block 001 as an image, and writing that image into block 015"
    "$cli" export-image "$part" 1 "$demo/block001.img"
    "$cli" write-image "$part" "$demo/block001.img" 15
    mv "$part" "$image"
fi

echo "== The block list of the demo drive"
"$cli" list "$image"

rel="build/demo/demo-drive.img"
cat <<EOT

The demo drive is $image
(any file can stand in for a USB stick; a real stick is named as /dev/sdX, or E: on Windows).
Commands to try next:
  build/native/cli/slotwise-cli ls $rel 1
  build/native/cli/slotwise-cli open $rel 1,2 --dir build/demo/opened
  build/native/cli/slotwise-cli list $rel --json
  build/native/cli/slotwise-cli ls $rel 0
  build/native/cli/slotwise-cli backup $rel --dir build/demo/backup
  build/native/cli/slotwise-cli settings
  build/native/cli/slotwise-cli --help
EOT

echo
echo "== The window program on the demo drive"
bash scripts/demo-gui.sh "$image"
