// Save: rebuilds a block's volume empty in the block image, writes the DOS boot files found at
// the top of a PC directory and then the whole PC tree into it, and only then writes the volume
// to the drive, so that a save that fails part-way leaves the block as it was.
#include <cstring>
#include <string>
#include <vector>

#include "blocks/block_header.h"
#include "blocks/block_manager.h"
#include "blocks/copy_common.h"
#include "blocks/pc_fs.h"
#include "blocks/placed_name.h"
#include "blocks/utf16_text.h"
#include "disk/pc_file.h"
#include "fatfs/codepage.h"

namespace {

const wchar_t* const kBootFiles[] = {L"IO.SYS", L"MSDOS.SYS", L"COMMAND.COM"};

// Attribute bits a FAT entry keeps: read-only, hidden, system, directory, archive. Windows'
// other bits (0x80 "normal" among them) mean nothing there.
constexpr uint32_t kFatAttributeBits = 0x37;

wchar_t UpperAscii(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

// A boot file name in any case: on Linux the PC side finds io.sys as Windows would.
bool IsBootFileName(const std::wstring& name) {
    for (const wchar_t* boot : kBootFiles) {
        if (name.size() != std::wcslen(boot)) continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i)
            same = UpperAscii(name[i]) == boot[i];
        if (same) return true;
    }
    return false;
}

// The 8.3 name on the block: the alias (or the name), in the ANSI code page, at most 12
// characters, ASCII letters in upper case.
std::string BlockShortName(const PcEntry& entry) {
    char16_t wide[kPathCapacity];
    size_t length = Utf16FromWide(entry.shortName.empty() ? entry.name : entry.shortName, wide, kPathCapacity);
    char ansi[kMaxShortNameText];
    size_t bytes = WideToAnsi(wide, length, ansi, sizeof(ansi));
    std::string name(ansi, bytes);
    for (char& c : name) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return name;
}

// The entry's long name goes with its create when the PC gave it a short alias.
void SetCreateLongName(FileEngine& engine, const PcEntry& entry) {
    engine.ClearCreateLongName();
    if (!entry.shortName.empty()) Utf16FromWide(entry.name, engine.createLongName(), kPathCapacity);
}

// Reads one PC file whole into fileBuffer and writes it as blockPath. 0, 258 for a file larger
// than a slot, -1 with lastErrorPath when the PC file cannot be read, or the engine's status.
int WriteFileToVolume(BlockManager& m, const std::wstring& pcPath, const PcEntry& entry, const std::string& blockPath) {
    PcFile file;
    uint64_t size = 0;
    uint32_t done = 0;
    if (!file.Open(pcPath, PcFile::Mode::Read, true) || !file.Size(&size)) {
        KeepErrorPath(m, pcPath);
        return -1;
    }
    if (size > kBlockImageSize) return BLK_FILE_TOO_LARGE;
    if (!file.ReadAt(0, m.fileBuffer, static_cast<uint32_t>(size), &done)) {
        KeepErrorPath(m, pcPath);
        return -1;
    }
    file.Close();

    FileEngine& engine = m.engine();
    SetCreateLongName(engine, entry);
    FsStatus status = engine.fsCreate(blockPath.c_str(), 0);
    if (status != FS_OK) return status;
    FileInfo info = SavedEntryInfo(entry);
    status = engine.fsFileInfo(&info, kInfoModify);
    if (status != FS_OK) return status;
    uint32_t count = done;
    status = engine.fsWriteBytes(m.fileBuffer, &count);
    if (status != FS_OK) return status;
    return engine.fsClose();
}

}  // namespace

FileInfo SavedEntryInfo(const PcEntry& entry) {
    FileInfo info;
    info.size = 0xFFFFFFFF;
    DosStamp creation = PcFileSystem::DosFromPcTime(entry.creationTime);
    DosStamp write = PcFileSystem::DosFromPcTime(entry.writeTime);
    info.createDate = creation.date;
    info.createTime = creation.time;
    info.writeDate = write.date;
    info.writeTime = write.time;
    info.accessDate = PcFileSystem::DosFromPcTime(entry.accessTime).date;
    info.accessTime = 0xFFFF;
    info.attribute = static_cast<uint8_t>(entry.attributes & kFatAttributeBits);
    return info;
}

int BlockManager::CopyDirectoryToBlock(const std::wstring& pcDir, uint32_t blockIndex, int row) {
    uint8_t* image = sectors_.blockImage();
    sectors_.UseDriveMode();
    sectors_.SetBlockIndex(blockIndex);
    sectors_.ReadSectors(0, 16, image);  // a failure shows in the recognition that follows
    sectors_.UseImageMode();
    DiskInfo totals;
    FloppyFormat code;
    int status = DetectFloppyFormat(&totals, &code);
    if (status != 0) return status;
    // A volume of another geometry cannot be rebuilt empty: nothing would be left to write into.
    if (code == FormatOther) return BLK_NOT_FAT12;
    BuildEmptyVolume(code, blockIndex, DosNone);

    pc_.CreateDirectoryPath(pcDir);
    CopyBootFiles(pcDir, "\\");
    status = CopyDirectoryToVolume(pcDir, "\\");
    if (status != 0) return status;

    // The block keeps its own boot sector: boot program, serial number and label.
    sectors_.UseDriveMode();
    if (sectors_.ReadSectors(0, 1, image) != 0) return -1;
    if (sectors_.WriteSectors(0, VolumeSectors(code), image) != 0) return -1;
    uint8_t header[kSectorSize] = {};
    StampUpdateTime(header, blockIndex);
    sectors_.UseImageMode();
    sectors_.WriteSectors(kHeaderSector, 1, header);
    RefreshBlockRow(row);
    return 0;
}

void BlockManager::CopyBootFiles(const std::wstring& pcDir, const std::string& blockDir) {
    for (const wchar_t* name : kBootFiles) {
        PcEntry entry;
        if (!pc_.FindEntry(pcDir, name, &entry) || entry.IsDirectory() || entry.special) continue;
        if (entry.size > kBlockImageSize) return;
        if (WriteFileToVolume(*this, JoinPcPath(pcDir, entry.pathName), entry, blockDir + BlockShortName(entry)) != 0)
            return;
    }
}

int BlockManager::CopyDirectoryToVolume(const std::wstring& pcDir, const std::string& blockDir) {
    std::vector<PcEntry> entries;
    if (!pc_.ListDirectory(pcDir, &entries)) return -1;
    for (const PcEntry& entry : entries) {
        if (entry.special) continue;
        std::string blockPath = blockDir + BlockShortName(entry);
        std::wstring pcPath = JoinPcPath(pcDir, entry.pathName);
        if (!entry.IsDirectory()) {
            // CopyBootFiles has written it already.
            if (blockDir == "\\" && entry.shortName.empty() && IsBootFileName(entry.name)) continue;
            if (entry.size > kBlockImageSize) return BLK_FILE_TOO_LARGE;
            int result = WriteFileToVolume(*this, pcPath, entry, blockPath);
            if (result != 0) return result;
            continue;
        }
        if (entry.name[0] == L'.') continue;
        SetCreateLongName(engine_, entry);
        FsStatus status = engine_.fsCreateDir(blockPath.c_str());
        if (status != FS_OK) return status;
        FileInfo info = SavedEntryInfo(entry);
        status = engine_.fsFileInfo(&info, kInfoModify);
        if (status != FS_OK) return status;
        int result = CopyDirectoryToVolume(pcPath, blockPath + "\\");
        if (result != 0) return result;
    }
    return 0;
}
