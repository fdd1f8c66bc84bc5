// Save: rebuilds a block's volume empty in the block image, writes the DOS boot files found at
// the top of a PC directory and then the whole PC tree into it, and only then writes the volume
// to the drive, so that a save that fails part-way leaves the block as it was.
#include <cstring>
#include <string>
#include <vector>

#include "app/texts.h"
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
// than a slot, -1 with lastErrorPath when the PC file cannot be read, 261 (its path in the
// failure record) when it changed size while it was read, or the engine's status.
int WriteFileToVolume(BlockManager& m, const std::wstring& pcPath, const PcEntry& entry, const std::string& blockPath) {
    PcFile file;
    uint64_t size = 0;
    uint32_t done = 0;
    if (!file.Open(pcPath, PcFile::Mode::Read, true) || !file.Size(&size)) {
        KeepErrorPath(m, pcPath);
        return -1;
    }
    if (size > kBlockImageSize) {
        m.lastFailure.path = pcPath;
        return BLK_FILE_TOO_LARGE;
    }
    uint64_t after = 0;
    if (!file.ReadAt(0, m.fileBuffer, static_cast<uint32_t>(size), &done) || !file.Size(&after)) {
        KeepErrorPath(m, pcPath);
        return -1;
    }
    file.Close();
    // Cut short or grown meanwhile: the block would get a file that never was.
    if (done != size || after != size) {
        m.lastFailure.path = pcPath;
        m.lastFailure.detail = FormatTextId(kTextCausePcFileChanged, {pcPath});
        return BLK_PC_FILE_CHANGED;
    }

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

// Returns 0; 259 when pcDir does not exist; the recognition status (256 also for a FAT12 volume
// of another layout, which cannot be rebuilt); the status of a boot file or any other file (the
// block is then left as it was); -1 when the block cannot be read or written; 260 when it reads
// back otherwise; 1 when its header cannot be stamped.
int BlockManager::CopyDirectoryToBlock(const std::wstring& pcDir, uint32_t blockIndex, int row) {
    BeginFailureRecord(blockIndex);
    uint8_t* image = sectors_.blockImage();
    // A folder that is not there is a mistyped name or a block never opened, never "empty the
    // block": only an existing empty folder empties it.
    uint32_t attributes = 0;
    if (!pc_.ReadAttributes(pcDir, &attributes) || (attributes & kPcDirectory) == 0) {
        NoteFailure(kTextCauseNoFolder, pcDir);
        return BLK_NO_FOLDER;
    }
    if (ReadBlockHead(blockIndex) != BLK_OK) return BLK_WIN_ERROR;
    sectors_.UseImageMode();
    DiskInfo totals;
    FloppyFormat code;
    int status = DetectFloppyFormat(&totals, &code);
    if (status != 0) return status;
    // A volume of another layout cannot be rebuilt empty as it was.
    if (code == FormatOther) {
        NoteFailure(kTextCauseOtherFormat);
        return BLK_NOT_FAT12;
    }
    BuildEmptyVolume(code, blockIndex, DosNone);

    status = CopyBootFiles(pcDir, "\\");
    if (status != 0) return status;
    status = CopyDirectoryToVolume(pcDir, "\\");
    if (status != 0) return status;

    // The block keeps its own boot sector: boot program, serial number and label.
    sectors_.UseDriveMode();
    if (sectors_.ReadSectors(0, 1, image) != 0) return BLK_WIN_ERROR;
    status = WriteSlotSectors(0, VolumeSectors(code), image);
    if (status != BLK_OK) return status;
    uint8_t header[kSectorSize] = {};
    status = StampUpdateTime(header, blockIndex);
    if (status != BLK_OK) return status;
    sectors_.UseImageMode();
    sectors_.WriteSectors(kHeaderSector, 1, header);
    RefreshBlockRow(row);
    return 0;
}

// Returns 0 or the first failure, as for any other file: a boot file written badly must not
// reach the block.
int BlockManager::CopyBootFiles(const std::wstring& pcDir, const std::string& blockDir) {
    for (const wchar_t* name : kBootFiles) {
        PcEntry entry;
        if (!pc_.FindEntry(pcDir, name, &entry) || entry.IsDirectory() || entry.special) continue;
        std::wstring pcPath = JoinPcPath(pcDir, entry.pathName);
        if (entry.size > kBlockImageSize) {
            lastFailure.path = pcPath;
            return BLK_FILE_TOO_LARGE;
        }
        int status = WriteFileToVolume(*this, pcPath, entry, blockDir + BlockShortName(entry));
        if (status != 0) return status;
    }
    return 0;
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
            if (entry.size > kBlockImageSize) {
                lastFailure.path = pcPath;
                return BLK_FILE_TOO_LARGE;
            }
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
