// The DOS system files and boot programs the program carries. The data is generated at build
// time (blocks/dos/) into the core; the files are placeholders unless the user supplies a
// DOS of their own in a folder beside the program (see AddResourceFile).
#pragma once

#include <cstdint>

constexpr uint32_t kBootProgramSize = 448;  // bytes 62 to 509 of a boot sector

// Identifiers of the three system files within one DOS version.
constexpr int kDosCommandCom = 4200;
constexpr int kDosIoSys = 4201;
constexpr int kDosMsdosSys = 4202;

struct DosFile {
    int dos;         // DosSystem: 1 DOS 6.22, 2 DOS 7.1
    int identifier;  // kDosIoSys, kDosMsdosSys or kDosCommandCom
    const char* name;
    const uint8_t* bytes;  // the first storedSize bytes; the rest up to size are zeros
    uint32_t storedSize;
    uint32_t size;
};

extern const uint8_t* const kBootProgram622;  // kBootProgramSize bytes
extern const uint8_t* const kBootProgram71;   // kBootProgramSize bytes
extern const DosFile kDosFiles[];
extern const uint32_t kDosFileCount;

// The system file of a DOS version, or null when it carries none under that identifier.
const DosFile* FindDosFile(int dos, int identifier);

// The boot program for a format: DOS 6.22's for dos 1, the other one for dos 0 and 2.
const uint8_t* BootProgramFor(int dos);

// The folder beside the program that may hold a user's own files of a DOS version
// ("dos622", "dos71"); null for any other dos.
const wchar_t* DosFolderName(int dos);
