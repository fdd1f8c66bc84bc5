// The copy tests' fixture: a drive image of formatted blocks, volumes filled file by file
// through the file engine, and PC directory trees written and read back as plain data.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "blocks/pc_fs.h"
#include "fatfs/fat_time.h"
#include "support/test_bytes.h"
#include "tests/blocks/block_drive.h"

// Relative path with '/' separators (UTF-8) to the bytes of a file; directories hold kDirMark.
using PcTree = std::map<std::string, std::string>;
extern const char kDirMark[];

void WritePcTree(const std::string& root, const PcTree& tree);
PcTree ReadPcTree(const std::string& root);
// dir + the system's separator + name, as the copy joins PC paths.
inline std::wstring JoinForTest(const std::wstring& dir, const std::wstring& name) {
    return dir + kPcSeparator + name;
}

// Whether the PC keeps creation times that can be set: Windows does; Linux, and Wine on Linux,
// do not.
bool PcKeepsCreationTimes();

// The warning for a PC path past the limit, as the user reads it.
inline constexpr wchar_t kNameTooLong[] = L"File name is too long,create failure";

// The stamp given to entries made by PutFile and PutDirectory unless a test says otherwise.
constexpr DosStamp kEntryWrite = {FatDate(2021, 6, 15), FatTime(10, 20, 30)};
constexpr DosStamp kEntryCreation = {FatDate(2020, 2, 29), FatTime(23, 59, 58)};
constexpr uint16_t kEntryAccessDate = FatDate(2022, 1, 2);

class CopyTest : public BlockDriveTest {
protected:
    // A drive of `blocks` slots, every block quick-formatted as `format`.
    void MakeBlocks(uint32_t blocks, FloppyFormat format = Format144M);

    // Loads block k into the block image and mounts it (image mode) for the Put helpers.
    void LoadVolume(uint32_t block);
    // A file or directory made through the engine; longName empty for none.
    void PutFile(const std::string& path,
                 const std::string& bytes,
                 const std::u16string& longName = u"",
                 uint8_t attribute = 0x20,
                 DosStamp write = kEntryWrite);
    void PutDirectory(const std::string& path, const std::u16string& longName = u"", uint8_t attribute = 0x10);
    // Writes the block image's volume back into block k (drive mode afterwards).
    void StoreVolume(uint32_t block);

    // The entry at an 8.3 path of the volume loaded in the block image.
    FileInfo EntryInfo(const std::string& path);

    std::string PcRoot(const std::string& name) const { return dir.File(name); }
    std::wstring WPcRoot(const std::string& name) const { return dir.WFile(name); }

    FloppyFormat format_ = Format144M;
};
