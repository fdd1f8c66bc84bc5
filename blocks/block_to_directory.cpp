// Open: copies every file and directory of one block into a PC directory, depth first, under
// their long names, with the existing-file mode, attributes and times the settings ask for.
#include <set>
#include <string>
#include <utility>

#include "app/texts.h"
#include "blocks/block_manager.h"
#include "blocks/block_names.h"
#include "blocks/copy_common.h"
#include "blocks/pc_fs.h"
#include "blocks/utf16_text.h"
#include "disk/pc_file.h"

namespace {

constexpr size_t kPcPathLimit = 210;     // characters a PC path may reach when an entry is added
constexpr size_t kBlockPathLimit = 255;  // characters of a block path or pattern

EntryTimes TimesOf(const FileInfo& info) {
    EntryTimes times;
    times.creation = DosStamp{info.createDate, info.createTime};
    times.access = DosStamp{info.accessDate, 0};
    times.write = DosStamp{info.writeDate, info.writeTime};
    return times;
}

// One walk of a volume. Directories already walked are remembered by their first cluster, so
// that a damaged volume whose directories point back at an ancestor, or at each other, ends
// instead of copying the same directory again and again.
class VolumeCopy {
public:
    explicit VolumeCopy(BlockManager& manager) : m_(manager) {}

    void MarkWalked(uint32_t firstCluster) { walked_.insert(firstCluster); }
    // 0, or 263 once a file's data ended before its size (the first such file in the record).
    int damaged() const { return damaged_; }
    int CopyDirectory(const std::string& blockPattern, const std::wstring& pcDir, const std::wstring& displayPattern);
    // The open file into pcPath, under the existing-file mode.
    int CopyOneFile(std::wstring pcPath, uint8_t attribute);
    void CarryInfo(const std::wstring& pcPath, uint8_t attribute, const FileInfo& info);

private:
    void WarnNameTooLong() { m_.frontEnd().Warn(TextById(kTextNameTooLong)); }

    BlockManager& m_;
    std::set<uint32_t> walked_;
    int damaged_ = 0;
};

int VolumeCopy::CopyDirectory(const std::string& blockPattern,
                              const std::wstring& pcDir,
                              const std::wstring& displayPattern) {
    FileEngine& engine = m_.engine();
    char16_t widePattern[kPathCapacity];
    Utf16FromWide(displayPattern, widePattern, kPathCapacity);
    // The found name follows the pattern's directory part; every level of it is a FatLongName,
    // so its separators are those of the block pattern, as the engine counts them.
    size_t prefix = displayPattern.empty() ? 0 : displayPattern.size() - 1;
    // Where each found entry lies: a directory chain that loops shows the same entries again.
    std::set<std::pair<uint32_t, uint8_t>> seen;

    for (uint32_t index = 0;; ++index) {
        engine.SetEnumerationIndex(index);
        FsStatus status = engine.fsOpen(blockPattern.c_str(), widePattern);
        if (status == FS_NOT_FOUND) return 0;
        if (status != FS_OK && status != FS_IS_DIRECTORY) return status;
        const OpenFileState& found = engine.openFile();
        if (!seen.insert({found.entrySector, found.entryIndex}).second) return FS_END_OF_CHAIN;
        uint8_t attribute = found.attribute;
        uint32_t firstCluster = found.firstCluster;
        std::string blockPath = engine.commandPath();
        std::wstring name = FoundEntryName(engine, prefix);

        if (pcDir.size() + 1 + name.size() > kPcPathLimit) {
            WarnNameTooLong();
            continue;
        }
        std::wstring pcPath = JoinPcPath(pcDir, name);
        std::string childBlockPattern = blockPath + "\\*";
        if (displayPattern.size() + 2 > kPcPathLimit) {
            WarnNameTooLong();
            continue;
        }
        std::wstring childDisplayPattern =
            (displayPattern.substr(0, prefix) + name + L"\\*").substr(0, kBlockPathLimit);

        // The volume label, whatever other bits its entry carries.
        if (attribute & 0x08) continue;
        if (attribute & 0x10) {
            if (!blockPath.empty() && blockPath.back() == '.') continue;  // "." and ".."
            // A directory met a second time would be copied into itself without end.
            if (!walked_.insert(firstCluster).second) {
                WarnNameTooLong();
                continue;
            }
            FileInfo info = {};
            bool haveInfo = m_.keepFileInfo == 1 && engine.fsFileInfo(&info, kInfoRead) == FS_OK;
            if (m_.pc().CreateDirectoryPath(pcPath) != 0) {
                m_.lastFailure.path = pcPath;
                return -1;
            }
            int result = CopyDirectory(childBlockPattern, pcPath, childDisplayPattern);
            if (result != 0) return result;
            // After the contents, which would otherwise change the directory's times again.
            if (haveInfo) CarryInfo(pcPath, attribute, info);
            continue;
        }
        int result = CopyOneFile(pcPath, attribute);
        if (result != 0) return result;
    }
}

int VolumeCopy::CopyOneFile(std::wstring pcPath, uint8_t attribute) {
    PcFile file;
    if (!m_.pc().CreatePcFile(&pcPath, m_.fileExistMode, &file)) {
        KeepErrorPath(m_, pcPath);
        return -1;
    }
    uint32_t count = kBlockImageSize;
    const uint32_t size = m_.engine().openFile().fileSize;
    FsStatus status = m_.engine().fsReadBytes(m_.fileBuffer, &count);
    if (status != FS_OK) return status;
    // A chain that ends before the size, or loops: what there is is kept, and the file is told of.
    if (count < size && count < kBlockImageSize && damaged_ == 0) {
        damaged_ = BLK_FILE_DAMAGED;
        m_.lastFailure.path = pcPath;
        m_.lastFailure.detail = FormatTextId(kTextCauseFileDamaged, {count, size});
    }
    uint32_t written = 0;
    if (!file.WriteAt(0, m_.fileBuffer, count, &written) || written != count) {
        KeepErrorPath(m_, pcPath);
        return -1;
    }
    file.Close();
    FileInfo info = {};
    if (m_.keepFileInfo == 1 && m_.engine().fsFileInfo(&info, kInfoRead) == FS_OK) CarryInfo(pcPath, attribute, info);
    return 0;
}

void VolumeCopy::CarryInfo(const std::wstring& pcPath, uint8_t attribute, const FileInfo& info) {
    m_.pc().WriteAttributes(pcPath, attribute);
    m_.pc().ApplyEntryTimes(pcPath, TimesOf(info));
}

}  // namespace

// Returns 0; the load's status; -1 when a PC directory or file cannot be made or written (a
// file's path in lastErrorPath); an engine status; or 263 when every entry was copied but a
// file's data ended before its size.
int BlockManager::CopyBlockToDirectory(const std::wstring& pcDir, uint32_t blockIndex) {
    BeginFailureRecord(blockIndex);
    FloppyFormat code;
    int status = LoadBlockImage(blockIndex, &code);
    if (status != 0) return status;
    engine_.SetCodePage(static_cast<uint32_t>(codePage));
    if (pc_.CreateDirectoryPath(pcDir) != 0) {
        lastFailure.path = pcDir;
        return -1;
    }
    if (dirDelAllFile != 0) pc_.DeleteDirectoryContents(pcDir, 1);
    return CopyVolumeDirectory("\\*", pcDir, L"\\*");
}

int BlockManager::CopyVolumeDirectory(const std::string& blockPattern,
                                      const std::wstring& pcDir,
                                      const std::wstring& displayPattern) {
    VolumeCopy copy(*this);
    if (blockPattern == "\\*") copy.MarkWalked(0);  // subdirectory entries with cluster 0 mean the root
    int status = copy.CopyDirectory(blockPattern, pcDir, displayPattern);
    return status != 0 ? status : copy.damaged();
}

int BlockManager::CopyVolumeFile(const std::string& blockPath, const std::wstring& pcPath) {
    FsStatus status = engine_.fsOpen(blockPath.c_str(), nullptr);
    if (status == FS_IS_DIRECTORY) return FS_BAD_NAME;
    if (status != FS_OK) return status;
    VolumeCopy copy(*this);
    return copy.CopyOneFile(pcPath, engine_.openFile().attribute);
}

void BlockManager::CarryEntryInfo(const std::wstring& pcPath, uint8_t attribute, const FileInfo& info) {
    VolumeCopy(*this).CarryInfo(pcPath, attribute, info);
}
