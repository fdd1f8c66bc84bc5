// The engine test fixture's helpers.
#include "engine_fixture.h"

#include <memory>

void EngineTest::Format(Floppy format, const char* label) {
    sectors.UseImageMode();
    layout = LayoutOf(format);
    BuildFloppy(image(), format, label);
    ASSERT_EQ(engine.fsMount(), FS_OK);
}

FsStatus EngineTest::MoveToDrive() {
    auto owned = std::make_unique<MemoryDrive>(image());
    drive = owned.get();
    sectors.AttachDrive(std::move(owned));
    return engine.fsMount();
}

FsStatus EngineTest::WriteFile(const std::string& path, const std::string& data, const std::u16string& longName) {
    engine.ClearCreateLongName();
    std::copy(longName.begin(), longName.end(), engine.createLongName());
    FsStatus status = engine.fsCreate(path.c_str(), 0);
    if (status != FS_OK) return status;
    uint32_t count = static_cast<uint32_t>(data.size());
    status = engine.fsWriteBytes(data.data(), &count);
    if (status != FS_OK) return status;
    if (count != data.size()) return FS_WRITE_ERROR;
    return engine.fsClose();
}

FsStatus EngineTest::MakeDir(const std::string& path, const std::u16string& longName) {
    engine.ClearCreateLongName();
    std::copy(longName.begin(), longName.end(), engine.createLongName());
    return engine.fsCreateDir(path.c_str());
}

FsStatus EngineTest::ReadFile(const std::string& path, std::string* data) {
    FsStatus status = engine.fsOpen(path.c_str(), nullptr);
    if (status != FS_OK) return status;
    data->assign(1572864, '\0');
    uint32_t count = static_cast<uint32_t>(data->size());
    status = engine.fsReadBytes(&(*data)[0], &count);
    data->resize(count);
    if (status != FS_OK) return status;
    return engine.fsClose();
}

std::vector<ListedEntry> EngineTest::List(const std::string& pattern, const std::u16string& widePattern) {
    std::vector<ListedEntry> entries;
    for (uint32_t index = 0; index < 1000; ++index) {
        engine.SetEnumerationIndex(index);
        FsStatus status = engine.fsOpen(pattern.c_str(), widePattern.c_str());
        if (status == FS_NOT_FOUND) return entries;
        if (status != FS_OK && status != FS_IS_DIRECTORY) {
            ADD_FAILURE() << "enumerating " << pattern << " at " << index << ": status " << int(status);
            return entries;
        }
        FileInfo info{};
        EXPECT_EQ(engine.fsFileInfo(&info, kInfoRead), FS_OK);
        entries.push_back({engine.commandPath(), engine.foundLongName(), info.attribute, info.size});
    }
    ADD_FAILURE() << "enumeration of " << pattern << " does not end";
    return entries;
}

uint32_t EngineTest::FreeSectors() {
    DiskInfo info{};
    EXPECT_EQ(engine.fsDiskQuery(&info), FS_OK);
    return info.freeSectors;
}

void PrintTo(FsStatus status, std::ostream* os) {
    static const char digits[] = "0123456789ABCDEF";
    *os << "0x" << digits[status >> 4] << digits[status & 15];
}

std::u16string U16(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text)
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}
