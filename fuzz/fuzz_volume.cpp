#include "fuzz/fuzz_volume.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kMaxDepth = 16;
constexpr uint32_t kMaxEntries = 1024;  // each pattern open scans from the start: the cost grows with the square
constexpr size_t kMaxBytesRead = 8u << 20;
constexpr size_t kFirstChunk = 700;  // not a whole sector, so that later reads start inside one
constexpr size_t kChunk = 64u << 10;
constexpr size_t kMaxPath = 255;

struct WalkBudget {
    uint32_t entries = 0;
    size_t bytes = 0;
};

std::u16string BoundedWide(const char16_t* text) {
    std::u16string out;
    for (size_t i = 0; text && i < 256 && text[i] != 0; ++i)
        out += text[i];
    return out;
}

void ReadToEnd(FileEngine& engine, WalkBudget* budget) {
    static std::vector<uint8_t> buffer(kChunk);
    uint32_t want = kFirstChunk;
    while (budget->bytes < kMaxBytesRead) {
        uint32_t count = want;
        if (engine.fsReadBytes(buffer.data(), &count) != FS_OK || count == 0) return;
        budget->bytes += count;
        want = kChunk;
    }
}

void WalkDirectory(FileEngine& engine,
                   const std::string& shortDir,
                   const std::u16string& wideDir,
                   int depth,
                   WalkBudget* budget) {
    if (depth > kMaxDepth || shortDir.size() + 2 > kMaxPath) return;
    const std::string pattern = shortDir + "\\*";
    const std::u16string widePattern = wideDir + u"\\*";
    for (uint32_t index = 0; budget->entries < kMaxEntries; ++index) {
        ++budget->entries;
        engine.SetEnumerationIndex(index);
        FsStatus status = engine.fsOpen(pattern.c_str(), widePattern.c_str());
        if (status != FS_OK && status != FS_IS_DIRECTORY) return;
        std::string found(engine.commandPath(), strnlen(engine.commandPath(), kMaxPath + 1));
        std::u16string wideFound = BoundedWide(engine.foundLongName());
        FileInfo info{};
        engine.fsFileInfo(&info, 1);
        if (status == FS_IS_DIRECTORY) {
            if (!found.empty() && found.back() != '.') WalkDirectory(engine, found, wideFound, depth + 1, budget);
            continue;
        }
        ReadToEnd(engine, budget);
        engine.fsClose();
    }
}

}  // namespace

void LoadFuzzVolume(SectorAccess& sectors, const uint8_t* data, size_t size) {
    sectors.UseImageMode();
    uint8_t* image = sectors.blockImage();
    size_t used = size < kFuzzVolumeBytes ? size : kFuzzVolumeBytes;
    if (used) std::memcpy(image, data, used);
    std::memset(image + used, 0, kBlockImageSize - used);
}

void WalkAndReadAll(FileEngine& engine) {
    DiskInfo disk{};
    engine.fsDiskQuery(&disk);
    WalkBudget budget;
    WalkDirectory(engine, "", u"", 0, &budget);
}
