// DOS boot disks: the three system files of DOS 6.22 or 7.1 and then the volume label entry,
// written into the root directory of the empty volume in the block image.
#include <algorithm>
#include <cstdio>

#include "app/texts.h"
#include "blocks/block_manager.h"
#include "blocks/dos_files.h"
#include "blocks/local_time.h"
#include "disk/pc_file.h"
#include "disk/system_error.h"

namespace {

// Date and time every system file carries: 2010-12-03 16:15:48.
constexpr uint16_t kSystemFileDate = 15747;
constexpr uint16_t kSystemFileTime = 33272;
constexpr uint8_t kAttributeLabel = 0x08;
constexpr uint32_t kFileNotFound = 2;  // ENOENT and ERROR_FILE_NOT_FOUND alike

#ifdef _WIN32
constexpr wchar_t kSeparator = L'\\';
#else
constexpr wchar_t kSeparator = L'/';
#endif

std::wstring Widen(const char* ascii) {
    std::wstring text;
    for (const char* p = ascii; *p; ++p)
        text += static_cast<wchar_t>(*p);
    return text;
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return text;
}

// Opens name in folder as the user may have spelt it: as DOS writes it, or in lower case.
bool OpenUserFile(const std::wstring& folder, const char* name, PcFile* file, std::wstring* path = nullptr) {
    std::wstring upper = folder + kSeparator + Widen(name);
    std::wstring lower = folder + kSeparator + Lower(Widen(name));
    bool opened = file->Open(upper, PcFile::Mode::Read);
    if (path) *path = opened ? upper : lower;
    return opened || file->Open(lower, PcFile::Mode::Read);
}

// True when folder holds all three system files of dos: only a complete set replaces ours.
bool HoldsUserSystem(const std::wstring& folder, int dos) {
    for (int identifier : {kDosIoSys, kDosMsdosSys, kDosCommandCom}) {
        const DosFile* file = FindDosFile(dos, identifier);
        PcFile probe;
        if (!file || !OpenUserFile(folder, file->name, &probe)) return false;
    }
    return true;
}

}  // namespace

// Returns 0 (also for a dos other than 1 or 2), -1 when a system file is missing or cannot be
// read, or the engine's status.
int BlockManager::AddDosSystem(uint32_t blockIndex, int dos) {
    if (dos != Dos622 && dos != Dos71) return BLK_OK;
    const struct {
        int identifier;
        const char* path;
    } files[] = {{kDosIoSys, "\\IO.SYS"}, {kDosMsdosSys, "\\MSDOS.SYS"}, {kDosCommandCom, "\\COMMAND.COM"}};
    // IO.SYS and MSDOS.SYS must take the first root entries and the first data clusters.
    for (const auto& f : files) {
        int status = AddResourceFile(dos, f.identifier, f.path);
        if (status != BLK_OK) return status;
    }
    return AddLabelFile(blockIndex);
}

// Writes one system file of dos under blockPath: the user's own when the folder of that DOS
// beside the program holds a complete set, else the one the program carries. Returns 0, -1
// with the last system error stored (the user's file named), 261 when the user's file changed
// size while it was read, or the engine's status.
int BlockManager::AddResourceFile(int dos, int identifier, const char* blockPath) {
    const DosFile* carried = FindDosFile(dos, identifier);
    if (!carried) {
        SetLastSystemError(kFileNotFound);
        return BLK_WIN_ERROR;
    }
    uint32_t size = 0;
    const wchar_t* folderName = DosFolderName(dos);
    std::wstring folder = dosFilesRoot + kSeparator + folderName;
    if (!dosFilesRoot.empty() && HoldsUserSystem(folder, dos)) {
        PcFile file;
        uint64_t length = 0;
        std::wstring path;
        bool ok = OpenUserFile(folder, carried->name, &file, &path) && file.Size(&length);
        uint32_t wanted = length < kBlockImageSize ? static_cast<uint32_t>(length) : kBlockImageSize;
        if (!ok || !file.ReadAt(0, fileBuffer, wanted, &size)) {
            NoteFailure(0, path);
            return BLK_WIN_ERROR;
        }
        if (size != wanted) {  // cut short meanwhile: never half a system file
            NoteFailure(kTextCausePcFileChanged, path);
            return BLK_PC_FILE_CHANGED;
        }
    } else {
        size = carried->size < kBlockImageSize ? carried->size : kBlockImageSize;
        uint32_t stored = carried->storedSize < size ? carried->storedSize : size;
        std::copy(carried->bytes, carried->bytes + stored, fileBuffer);
        std::fill(fileBuffer + stored, fileBuffer + size, uint8_t{0});
    }

    engine_.ClearCreateLongName();
    FsStatus status = engine_.fsCreate(blockPath, 0);
    if (status != FS_OK) return status;
    uint32_t count = size;
    status = engine_.fsWriteBytes(fileBuffer, &count);
    if (status != FS_OK) return status;
    FileInfo info{0xFFFFFFFF,      kSystemFileDate, kSystemFileTime, kSystemFileDate,
                  kSystemFileTime, kSystemFileDate, 0xFFFF,          0xFF};
    status = engine_.fsFileInfo(&info, kInfoModify);
    if (status != FS_OK) return status;
    status = engine_.fsClose();
    return status;
}

// Returns 0 or the engine's status.
int BlockManager::AddLabelFile(uint32_t blockIndex) {
    char path[16];
    std::snprintf(path, sizeof path, "\\FLPPY%u", blockIndex);
    engine_.ClearCreateLongName();
    FsStatus status = engine_.fsCreate(path, 0);
    if (status != FS_OK) return status;
    LocalTime now = CurrentLocalTime();
    uint16_t date = DosDateOf(now);
    uint16_t time = DosTimeOf(now);
    FileInfo info{0xFFFFFFFF, date, time, date, time, date, 0xFFFF, kAttributeLabel};
    status = engine_.fsFileInfo(&info, kInfoModify);
    if (status != FS_OK) return status;
    return engine_.fsClose();
}
