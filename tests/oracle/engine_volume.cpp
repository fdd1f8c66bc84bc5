#include "oracle/engine_volume.h"

#include <algorithm>
#include <cstring>
#include <sstream>

#include "disk/wide_path.h"
#include "support/temp_dir.h"

namespace {

constexpr int kMaxDepth = 20;           // a path of 255 characters holds at most 21 levels
constexpr uint32_t kMaxEntries = 4096;  // more than any floppy directory can hold
constexpr uint8_t kVolumeLabel = 0x08;

std::string StatusText(FsStatus status) {
    std::ostringstream out;
    out << "0x" << std::hex << static_cast<int>(status);
    return out.str();
}

}  // namespace

bool EngineVolume::Load(const std::string& imagePath) {
    std::memset(sectors.blockImage(), 0, kBlockImageSize);
    uint32_t size = 0;
    sectors.UseImageMode();
    return sectors.LoadImageFile(WideFromUtf8(imagePath), &size) == 0 && size > 0;
}

void EngineVolume::Save(const std::string& imagePath, size_t bytes) const {
    WriteWholeFile(imagePath, std::string(reinterpret_cast<const char*>(sectors.blockImage()), bytes));
}

VolumeWalk EngineVolume::Walk() {
    VolumeWalk walk;
    WalkDirectory("", u"", "", 0, &walk);
    return walk;
}

void EngineVolume::WalkDirectory(const std::string& shortDir,
                                 const std::u16string& wideDir,
                                 const std::string& displayDir,
                                 int depth,
                                 VolumeWalk* walk) {
    if (depth > kMaxDepth) {
        walk->problems.push_back("directories nested too deep at " + shortDir);
        return;
    }
    const std::string pattern = shortDir + "\\*";
    const std::u16string widePattern = wideDir + u"\\*";
    for (uint32_t index = 0; index < kMaxEntries; ++index) {
        engine.SetEnumerationIndex(index);
        FsStatus status = engine.fsOpen(pattern.c_str(), widePattern.c_str());
        if (status == FS_NOT_FOUND) return;
        if (status != FS_OK && status != FS_IS_DIRECTORY) {
            walk->problems.push_back("open " + pattern + " #" + std::to_string(index) + ": " + StatusText(status));
            return;
        }
        WalkedEntry entry;
        entry.shortPath = engine.commandPath();
        std::u16string widePath = engine.foundLongName();
        std::string shortName = entry.shortPath.substr(entry.shortPath.find_last_of('\\') + 1);
        std::string displayName = Utf8FromUtf16(widePath.substr(widePath.find_last_of(u'\\') + 1));
        entry.displayPath = displayDir.empty() ? displayName : displayDir + "/" + displayName;

        if (status == FS_IS_DIRECTORY) {
            if (!shortName.empty() && shortName.back() == '.') continue;  // "." and ".."
            entry.directory = true;
            walk->entries.push_back(entry);
            AddDirectory(&walk->tree, entry.displayPath);
            WalkDirectory(entry.shortPath, widePath, entry.displayPath, depth + 1, walk);
            continue;
        }

        status = engine.fsFileInfo(&entry.info, 1);
        if (status != FS_OK) {
            walk->problems.push_back("file info " + entry.shortPath + ": " + StatusText(status));
            engine.fsClose();
            continue;
        }
        walk->entries.push_back(entry);
        if (entry.info.attribute == kVolumeLabel) {
            engine.fsClose();
            continue;
        }
        // Ask for more than the file holds: exactly the file must come back, then nothing.
        std::string bytes(static_cast<size_t>(entry.info.size) + 1000, '\0');
        uint32_t count = static_cast<uint32_t>(bytes.size());
        status = engine.fsReadBytes(&bytes[0], &count);
        if (status != FS_OK || count != entry.info.size)
            walk->problems.push_back("read " + entry.shortPath + ": status " + StatusText(status) + ", " +
                                     std::to_string(count) + " of " + std::to_string(entry.info.size) + " bytes");
        bytes.resize(std::min<size_t>(count, bytes.size()));
        char extra[16];
        uint32_t more = sizeof extra;
        status = engine.fsReadBytes(extra, &more);
        if (status != FS_OK || more != 0)
            walk->problems.push_back("read past the end of " + entry.shortPath + ": status " + StatusText(status) +
                                     ", " + std::to_string(more) + " bytes");
        status = engine.fsClose();
        if (status != FS_OK) walk->problems.push_back("close " + entry.shortPath + ": " + StatusText(status));
        AddFile(&walk->tree, entry.displayPath, std::move(bytes));
    }
    walk->problems.push_back("enumeration of " + pattern + " did not end");
}

FsStatus EngineVolume::Write(const EngineItem& item) {
    engine.ClearCreateLongName();
    std::u16string longName = Utf16FromUtf8(item.longName);
    std::copy(longName.begin(), longName.end(), engine.createLongName());

    FsStatus status = item.directory ? engine.fsCreateDir(item.path.c_str()) : engine.fsCreate(item.path.c_str(), 0);
    if (status != FS_OK) return status;

    FileInfo info{};
    info.size = 0xFFFFFFFF;
    info.writeDate = info.createDate = info.accessDate = item.date;
    info.writeTime = info.createTime = item.time;
    info.accessTime = 0;
    info.attribute = item.directory ? 0x10 : item.attribute;
    status = engine.fsFileInfo(&info, 0);
    if (status != FS_OK || item.directory) return status;

    uint32_t count = static_cast<uint32_t>(item.bytes.size());
    status = engine.fsWriteBytes(item.bytes.data(), &count);
    if (status != FS_OK) return status;
    if (count != item.bytes.size()) return FS_WRITE_ERROR;
    return engine.fsClose();
}
