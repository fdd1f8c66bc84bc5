; Boot program of a block without system files or with DOS 7.1 system files: the 448 bytes
; from offset 62 of the boot sector, reached by its jump. It starts no DOS of its own: it
; resets the drive, says why the disk cannot start the system, waits for a key and hands the
; start back to the BIOS.
bits 16
org 0x7C3E

start:
    cli
    xor ax, ax
    mov ds, ax
    mov ss, ax
    mov sp, 0x7C00
    sti
    cld
    mov si, invalid_disk
    xor ah, ah              ; reset the boot drive (DL as the BIOS left it)
    int 0x13
    jnc report
    mov si, io_error
report:
    call print
    mov si, replace_disk
    call print
    xor ah, ah              ; wait for a key
    int 0x16
    int 0x19                ; try the boot devices again
halt:
    hlt
    jmp halt

; Prints the zero-terminated text at DS:SI.
print:
    lodsb
    test al, al
    jz .done
    mov ah, 0x0E            ; teletype output, page 0
    mov bx, 0x0007
    int 0x10
    jmp print
.done:
    ret

invalid_disk:
    db 13, 10, "Invalid system disk", 0
io_error:
    db 13, 10, "Disk I/O error", 0
replace_disk:
    db 13, 10, "Replace the disk, and then press any key", 13, 10, 0

; The system files a DOS 7.1 loader looks for first in the root directory, in
; directory-entry form.
system_files:
    db "IO      SYS"
    db "MSDOS   SYS"

    times 448 - ($ - $$) db 0
