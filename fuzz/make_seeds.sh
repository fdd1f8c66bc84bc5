#!/usr/bin/env bash
# Usage: make_seeds.sh DIR STAMP. Makes the seed inputs of the fuzz targets in DIR: small floppy
# volumes made by mkfs.fat and mcopy, cut after their first 64 KiB, where boot sector, FATs, root
# and the first files lie; then touches STAMP. Without the tools it makes no seeds.
set -euo pipefail
out=$1
stamp=$2
mkdir -p "$out"
export PATH="$PATH:/usr/sbin:/sbin" MTOOLS_SKIP_CHECK=1
if ! command -v mkfs.fat >/dev/null || ! command -v mcopy >/dev/null; then
    touch "$stamp"
    exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/files/Sub Directory/Nested Level" "$work/files/ABC"
: > "$work/files/empty.bin"
printf 'x' > "$work/files/one.txt"
head -c 600 /dev/zero | tr '\0' 'a' > "$work/files/Mixed Case Name.Txt"
head -c 3000 /dev/zero | tr '\0' 'b' > "$work/files/Sub Directory/A Rather Long File Name.text"
printf 'nested' > "$work/files/Sub Directory/Nested Level/Final File.txt"
printf 'plain' > "$work/files/ABC/FILE.TXT"
mkdir -p "$work/many/Many Entries"
for i in $(seq 1 24); do printf '%s' "$i" > "$work/many/Many Entries/Entry number $i of many.txt"; done

seed() {  # seed NAME KILOBYTES [MKFS-OPTIONS...]; the files to copy come from $files
    local image="$work/$1.img" kilobytes=$2
    shift 2
    mkfs.fat -C -n SEED "$@" "$image" "$kilobytes" >/dev/null
    if [ -n "$files" ]; then (cd "$files" && mcopy -s -m -i "$image" ./* ::/); fi
    head -c 65536 "$image" > "$out/$(basename "$image" .img)"
}
files="" seed empty1440 1440
files="$work/files" seed tree1440 1440
files="$work/files" seed tree720 720
files="$work/many" seed many1200 1200 -s 2
touch "$stamp"
