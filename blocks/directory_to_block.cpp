// Save: rebuilds a block's volume empty in the block image, writes the DOS boot files found at
// the top of a PC directory and then the whole PC tree into it, and only then writes the volume
// to the drive, so that a save that fails part-way leaves the block as it was.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/texts.h"
#include "blocks/block_header.h"
#include "blocks/block_manager.h"
#include "blocks/block_names.h"
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

// The 8.3 name on the block: the alias (or the long name), in the OEM code page, at most 12
// bytes, ASCII letters in upper case.
std::string BlockShortName(const SavedName& saved, uint32_t codePage) {
    char16_t wide[kPathCapacity];
    size_t length = Utf16FromWide(saved.shortName.empty() ? saved.longName : saved.shortName, wide, kPathCapacity);
    char oem[kMaxShortNameText];
    size_t bytes = WideToOem(codePage, wide, length, oem, sizeof(oem));
    std::string name(oem, bytes);
    for (char& c : name) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return name;
}

// Every create is given the name the entry is to show; the engine keeps it by case flags or
// long-name entries wherever the 8.3 name is not it.
void SetCreateLongName(FileEngine& engine, const std::wstring& name) {
    engine.ClearCreateLongName();
    Utf16FromWide(name, engine.createLongName(), kPathCapacity);
}

// Reads one PC file whole into fileBuffer and writes it as blockPath. 0, 258 for a file larger
// than a slot, -1 with lastErrorPath when the PC file cannot be read, 261 (its path in the
// failure record) when it changed size while it was read, or the engine's status. The entry
// gets the name given.
int WriteFileToVolume(BlockManager& m,
                      const std::wstring& pcPath,
                      const PcEntry& entry,
                      const std::wstring& name,
                      const std::string& blockPath) {
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
    SetCreateLongName(engine, name);
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

// One warning for the whole save, so that a folder of many such names asks for one answer.
void WarnOfSavedNames(BlockFrontEnd& frontEnd, uint32_t blockIndex, const std::vector<std::wstring>& notes) {
    constexpr size_t kMostLines = 20;
    if (notes.empty()) return;
    std::wstring text = FormatTextId(kTextNamesChanged, {blockIndex});
    for (size_t i = 0; i < notes.size() && i < kMostLines; ++i)
        text += L"\n" + notes[i];
    if (notes.size() > kMostLines) text += L"\n" + FormatTextId(kTextMoreNames, {notes.size() - kMostLines});
    frontEnd.Warn(text);
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

int BlockManager::BuildVolumeFromDirectory(const std::wstring& pcDir, uint32_t blockIndex, FloppyFormat* built) {
    BeginFailureRecord(blockIndex);
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
    *built = code;
    BuildEmptyVolume(code, blockIndex, DosNone);

    engine_.SetCodePage(static_cast<uint32_t>(codePage));
    savedNameNotes_.clear();
    status = CopyBootFiles(pcDir, "\\");
    if (status != 0) return status;
    return CopyDirectoryToVolume(pcDir, "\\");
}

// Returns BuildVolumeFromDirectory's statuses (the block is then left as it was); -1 when the
// block cannot be written; 260 when it reads back otherwise; 1 when its header cannot be stamped.
int BlockManager::CopyDirectoryToBlock(const std::wstring& pcDir, uint32_t blockIndex, int row) {
    uint8_t* image = sectors_.blockImage();
    FloppyFormat code;
    int status = BuildVolumeFromDirectory(pcDir, blockIndex, &code);
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
    WarnOfSavedNames(frontEnd_, blockIndex, savedNameNotes_);
    return 0;
}

// Returns 0 or the first failure, as for any other file: a boot file written badly must not
// reach the block.
int BlockManager::CopyBootFiles(const std::wstring& pcDir, const std::string& blockDir) {
    std::vector<PcEntry> found;
    bootFileNames_.clear();
    for (const wchar_t* name : kBootFiles) {
        PcEntry entry;
        if (!pc_.FindEntry(pcDir, name, &entry) || entry.IsDirectory() || entry.special) continue;
        bootFileNames_.push_back(entry.name);
        found.push_back(entry);
    }
    for (const PcEntry& entry : found) {
        std::wstring pcPath = JoinPcPath(pcDir, entry.pathName);
        if (entry.size > kBlockImageSize) {
            lastFailure.path = pcPath;
            return BLK_FILE_TOO_LARGE;
        }
        SavedName saved;
        saved.longName = entry.name;
        saved.shortName = entry.shortName;
        int status =
            WriteFileToVolume(*this, pcPath, entry, entry.name, blockDir + BlockShortName(saved, engine_.codePage()));
        if (status != 0) return status;
    }
    return 0;
}

int BlockManager::CopyDirectoryToVolume(const std::wstring& pcDir, const std::string& blockDir) {
    std::vector<PcEntry> listed, entries;
    if (!pc_.ListDirectory(pcDir, &listed)) return -1;
    // The boot files CopyBootFiles has taken (another file of the same name in another case is
    // saved beside them under the name the file-exists setting gives it).
    const std::vector<std::wstring> present = blockDir == "\\" ? bootFileNames_ : std::vector<std::wstring>();
    for (PcEntry& entry : listed) {
        if (entry.special || (entry.IsDirectory() && entry.name[0] == L'.')) continue;
        bool boot = !entry.IsDirectory() && std::find(present.begin(), present.end(), entry.name) != present.end();
        if (!boot) entries.push_back(std::move(entry));
    }
    std::vector<SavedName> names = PlanSavedNames(entries, fileExistMode, present);

    for (size_t i = 0; i < entries.size(); ++i) {
        const PcEntry& entry = entries[i];
        const SavedName& saved = names[i];
        std::wstring note = SavedNameNote(JoinPcPath(pcDir, entry.name), saved);
        if (!note.empty()) savedNameNotes_.push_back(note);
        if (saved.change == kNameReplaced) continue;
        std::string blockPath = blockDir + BlockShortName(saved, engine_.codePage());
        std::wstring pcPath = JoinPcPath(pcDir, entry.pathName);
        if (!entry.IsDirectory()) {
            if (entry.size > kBlockImageSize) {
                lastFailure.path = pcPath;
                return BLK_FILE_TOO_LARGE;
            }
            int result = WriteFileToVolume(*this, pcPath, entry, saved.longName, blockPath);
            if (result != 0) return result;
            continue;
        }
        SetCreateLongName(engine_, saved.longName);
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
