; Boot program of a block made bootable with DOS 6.22 system files: the 448 bytes from offset
; 62 of the boot sector, reached by its jump. It starts no DOS of its own: it says the disk
; cannot start the system, waits for a key and hands the start back to the BIOS.
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
    mov si, message
print:
    lodsb
    test al, al
    jz wait_key
    mov ah, 0x0E            ; teletype output, page 0
    mov bx, 0x0007
    int 0x10
    jmp print
wait_key:
    xor ah, ah              ; wait for a key
    int 0x16
    int 0x19                ; try the boot devices again
halt:
    hlt
    jmp halt

message:
    db 13, 10, "Non-System disk or disk error", 13, 10
    db "Replace and press any key when ready", 13, 10, 0

; The system files a DOS 6.22 loader looks for first in the root directory, in
; directory-entry form.
system_files:
    db "IO      SYS"
    db "MSDOS   SYS"

    times 448 - ($ - $$) db 0
