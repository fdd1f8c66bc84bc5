; A stand-in for one DOS system file, for blocks made bootable without a DOS of the user's
; own: a note saying what it is, then zeros up to the size of the file it stands for.
; nasm -f bin -DSIZE=<bytes> -DFILE_NAME=<name> -DDOS_DIR=<folder> placeholder.asm
%defstr FILE_TEXT FILE_NAME
%defstr DIR_TEXT DOS_DIR

%if SIZE >= 512
    db "Slotwise placeholder for ", FILE_TEXT, ": this disk holds no DOS.", 13, 10
    db "To make real boot disks, put IO.SYS, MSDOS.SYS and COMMAND.COM of a DOS you own", 13, 10
    db "into the folder ", DIR_TEXT, " beside the program and format again.", 13, 10
%else
    db "Slotwise placeholder, no DOS", 13, 10
%endif
    times SIZE - ($ - $$) db 0
