#!/usr/bin/env bash
# slotwise-cli with names that are not ASCII: a drive image, PC folders, image files, a settings
# folder and the current folder named in UTF-8, run under the C, C.UTF-8 and en_US.UTF-8 locales,
# then names whose bytes are not UTF-8 at all (Linux takes any bytes). Every command must take
# them as they are, under every locale alike; the transcript is compared with a golden file.
#
# Usage: paths.sh SLOTWISE_CLI GOLDEN_FILE (see transcript.sh)
set -u
. "$(dirname "$0")/transcript.sh"

# Folders of files to save, with times that make ls print the same lines on every run.
make_sources() {
    mkdir -p "$1/FLOPPY001/Répertoire d'été" "$1/FLOPPY002"
    printf 'bonjour\n' >"$1/FLOPPY001/Répertoire d'été/Fichier àéîõü.txt"
    printf 'ni hao\n' >"$1/FLOPPY001/Ünïcødé 文字.txt"
    printf 'plain\n' >"$1/FLOPPY002/PLAIN.TXT"
    find "$1" -exec touch -d '2024-03-05 10:20:30' {} +
}

# Every command, from a current folder with an accented name, on files with accented names.
every_command() {
    mkdir "Dossier courant éà" && cd "Dossier courant éà" || return
    export HOME=$PWD
    run create-image "Disquette été.img" --size 8M
    run format-drive "Disquette été.img" --blocks 3 --yes --quick
    run format "Disquette été.img" 2 --type 720K --quick --yes
    make_sources "Fichiers à sauver"
    run save "Disquette été.img" 1,2 --dir "Fichiers à sauver"
    run list "Disquette été.img"
    run list "Disquette été.img" --json
    run ls "Disquette été.img" 1
    run ls "Disquette été.img" 1 --json
    run open "Disquette été.img" 1 --dir "Ouverts ç"
    say "$(cd "Ouverts ç" && find . -type f | sort)"
    run export-image "Disquette été.img" 1 "Image exportée.img"
    run write-image "Disquette été.img" "Image exportée.img" 2 --yes
    run ls "Disquette été.img" 2
    run backup "Disquette été.img" --dir "Sauvegardes ü"
    run settings SavePath "Téléchargés"
    run open "Disquette été.img" 2
    say "$(find Téléchargés -type f | sort)"
    run open "Disquette été.img" 9 --dir "Ouverts ç"
    cd .. && rm -rf "Dossier courant éà"
}

# The transcript of every command under one locale, kept aside to be compared.
# (The program sets no locale of its own; one that is not installed here is passed on all the same.)
for locale in C C.UTF-8 en_US.UTF-8; do
    exec 3>"$scratch/$locale.raw"
    { export LC_ALL=$locale; } 2>/dev/null
    every_command
    fixed "$scratch/$locale.raw" >"$scratch/$locale.txt"
done
export LC_ALL=C.UTF-8
exec 3>>"$transcript"
section "Every command with accented names, under the C locale"
cat "$scratch/C.txt" >&3
for locale in C.UTF-8 en_US.UTF-8; do
    if cmp -s "$scratch/C.txt" "$scratch/$locale.txt"; then
        say "Under $locale: the same transcript"
    else
        say "Under $locale: the transcript differs (< C, > $locale):"
        diff "$scratch/C.txt" "$scratch/$locale.txt" >&3
    fi
done

section "Names whose bytes are not UTF-8 (Latin-1 é), in a current folder named so"
latin=$'Disque \xe9t\xe9'
mkdir "$latin" && cd "$latin" || exit 1
export HOME=$PWD
run create-image "$latin.img" --size 8M
run format-drive "$latin.img" --blocks 2 --yes --quick
mkdir -p "src $latin/FLOPPY001" && printf 'x' >"src $latin/FLOPPY001/NOTE.TXT"
run save "$latin.img" 1 --dir "src $latin"
run export-image "$latin.img" 1 "$latin export.img"
run write-image "$latin.img" "$latin export.img" 0
run list "$latin.img" --json
# The settings file holds UTF-16 text; the default folders under this one must come back whole.
run settings FileExistMode 1
run open "$latin.img" 1
[ -f "DISK/$latin.img/FLOPPY001/NOTE.TXT" ] && say "open wrote DISK/<name>.img/FLOPPY001/NOTE.TXT under the current folder"
cd ..
finish
