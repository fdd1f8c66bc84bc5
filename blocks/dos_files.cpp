// Lookups in the generated table of DOS system files and boot programs.
#include "blocks/dos_files.h"

const DosFile* FindDosFile(int dos, int identifier) {
    for (uint32_t i = 0; i < kDosFileCount; ++i)
        if (kDosFiles[i].dos == dos && kDosFiles[i].identifier == identifier) return &kDosFiles[i];
    return nullptr;
}

const uint8_t* BootProgramFor(int dos) {
    return dos == 1 ? kBootProgram622 : kBootProgram71;
}

const wchar_t* DosFolderName(int dos) {
    switch (dos) {
        case 1: return L"dos622";
        case 2: return L"dos71";
        default: return nullptr;
    }
}
