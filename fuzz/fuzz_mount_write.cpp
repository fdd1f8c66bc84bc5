// Fuzz target: mounts any 1.44M-sized volume, creates directories and files with and without
// long names (in the root, in new directories and in directories the volume already had), writes
// data into them, and then walks and reads everything.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_volume.h"

namespace {

// Sizes and counts come from the input's last bytes, which also lie in the volume.
struct Knobs {
    uint32_t fileBytes;   // 0 to about 70,000
    uint32_t files;       // 1 to 8 files per directory
    uint32_t longLength;  // 0 (no long name) to 99 characters
};

Knobs ReadKnobs(const uint8_t* data, size_t size) {
    uint8_t tail[4] = {};
    for (size_t i = 0; i < 4 && i < size; ++i)
        tail[i] = data[size - 1 - i];
    return Knobs{static_cast<uint32_t>(tail[0] | (tail[1] << 8)) + (tail[1] & 1u) * 5000u, 1u + (tail[2] & 7u),
                 tail[3] % 100u};
}

void SetLongName(FileEngine& engine, uint32_t length, uint32_t salt) {
    engine.ClearCreateLongName();
    char16_t* name = engine.createLongName();
    static const char16_t kLetters[] = u"Fuzzed long name with spaces.and.dots ";
    for (uint32_t i = 0; i < length; ++i)
        name[i] = kLetters[(i + salt) % (sizeof kLetters / 2 - 1)];
}

void WriteFile(FileEngine& engine, const std::string& path, uint32_t bytes, const std::vector<uint8_t>& data) {
    if (engine.fsCreate(path.c_str(), 0) != FS_OK) return;
    FileInfo info{0xFFFFFFFF, 0x5021, 0x6000, 0x5021, 0x6000, 0x5021, 0, 0x20};
    engine.fsFileInfo(&info, 0);
    uint32_t first = bytes / 3;  // two writes: the second starts inside a sector
    uint32_t rest = bytes - first;
    engine.fsWriteBytes(data.data(), &first);
    engine.fsWriteBytes(data.data() + first, &rest);
    engine.fsClose();
}

// The 8.3 paths of up to `limit` directories that the volume holds, found by enumerating the root.
std::vector<std::string> SomeDirectories(FileEngine& engine, size_t limit) {
    std::vector<std::string> found;
    for (uint32_t index = 0; index < 64 && found.size() < limit; ++index) {
        engine.SetEnumerationIndex(index);
        FsStatus status = engine.fsOpen("\\*", u"\\*");
        if (status == FS_IS_DIRECTORY) {
            std::string path(engine.commandPath(), strnlen(engine.commandPath(), 256));
            if (!path.empty() && path.back() != '.') found.push_back(path);
        } else if (status != FS_OK) {
            break;
        }
    }
    return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SectorAccess sectors;
    static std::vector<uint8_t> payload(80000);
    LoadFuzzVolume(sectors, data, size);
    FileEngine engine(sectors);
    if (engine.fsMount() != FS_OK) return 0;
    const Knobs knobs = ReadKnobs(data, size);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<uint8_t>(i * 31 + knobs.fileBytes);

    std::vector<std::string> directories = SomeDirectories(engine, 3);
    SetLongName(engine, knobs.longLength, 1);
    engine.fsCreateDir("\\FUZZDI~1");
    directories.push_back("\\FUZZDI~1");
    engine.ClearCreateLongName();
    engine.fsCreateDir("\\FUZZDI~1\\INNER");
    directories.push_back("\\FUZZDI~1\\INNER");
    directories.push_back("");

    uint32_t serial = 0;
    for (const std::string& dir : directories) {
        for (uint32_t i = 0; i < knobs.files; ++i, ++serial) {
            char name[16];
            std::snprintf(name, sizeof name, "\\FZ~%04u.BIN", serial);
            if (i % 2)
                engine.ClearCreateLongName();
            else
                SetLongName(engine, knobs.longLength, serial);
            WriteFile(engine, dir + name, (knobs.fileBytes * (i + 1)) % static_cast<uint32_t>(payload.size()), payload);
        }
    }
    WalkAndReadAll(engine);
    return 0;
}
