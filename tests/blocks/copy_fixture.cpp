// The copy tests' fixture.
#include "tests/blocks/copy_fixture.h"

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

const char kDirMark[] = "<dir>";

void WritePcTree(const std::string& root, const PcTree& tree) {
    // The map's order puts every directory before what it holds.
    for (const auto& [path, bytes] : tree) {
        fs::path full = fs::u8path(root + "/" + path);
        if (bytes == kDirMark) {
            fs::create_directories(full);
            continue;
        }
        fs::create_directories(full.parent_path());
        WriteWholeFile(full.string(), bytes);
    }
}

PcTree ReadPcTree(const std::string& root) {
    PcTree tree;
    fs::path top = fs::u8path(root);
    for (const auto& item : fs::recursive_directory_iterator(top)) {
        std::string path = fs::relative(item.path(), top).generic_u8string();
        tree[path] = item.is_directory() ? std::string(kDirMark) : ReadWholeFile(item.path().string());
    }
    return tree;
}

bool PcKeepsCreationTimes() {
#ifdef _WIN32
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return !(ntdll && GetProcAddress(ntdll, "wine_get_version"));
#else
    return false;
#endif
}

void CopyTest::MakeBlocks(uint32_t blocks, FloppyFormat format) {
    format_ = format;
    MakeDrive(static_cast<uint64_t>(blocks) * kSlotSectors);
    for (uint32_t k = 0; k < blocks; ++k)
        ASSERT_EQ(manager.FormatBlock(k, static_cast<int>(k), format, 1, DosNone), 0);
    log->writes.clear();
}

void CopyTest::LoadVolume(uint32_t block) {
    FloppyFormat code;
    ASSERT_EQ(manager.LoadBlockImage(block, &code), 0);
}

namespace {

void SetLongName(FileEngine& engine, const std::u16string& longName) {
    engine.ClearCreateLongName();
    std::copy(longName.begin(), longName.end(), engine.createLongName());
}

void SetStamps(FileEngine& engine, uint8_t attribute, DosStamp write) {
    FileInfo info;
    info.size = 0xFFFFFFFF;
    info.writeDate = write.date;
    info.writeTime = write.time;
    info.createDate = kEntryCreation.date;
    info.createTime = kEntryCreation.time;
    info.accessDate = kEntryAccessDate;
    info.accessTime = 0xFFFF;
    info.attribute = attribute;
    ASSERT_EQ(engine.fsFileInfo(&info, kInfoModify), FS_OK);
}

}  // namespace

void CopyTest::PutFile(const std::string& path,
                       const std::string& bytes,
                       const std::u16string& longName,
                       uint8_t attribute,
                       DosStamp write) {
    SetLongName(engine, longName);
    ASSERT_EQ(engine.fsCreate(path.c_str(), 0), FS_OK) << path;
    uint32_t count = static_cast<uint32_t>(bytes.size());
    ASSERT_EQ(engine.fsWriteBytes(bytes.data(), &count), FS_OK) << path;
    ASSERT_EQ(count, bytes.size());
    SetStamps(engine, attribute, write);
    ASSERT_EQ(engine.fsClose(), FS_OK);
}

void CopyTest::PutDirectory(const std::string& path, const std::u16string& longName, uint8_t attribute) {
    SetLongName(engine, longName);
    ASSERT_EQ(engine.fsCreateDir(path.c_str()), FS_OK) << path;
    SetStamps(engine, attribute, kEntryWrite);
}

void CopyTest::StoreVolume(uint32_t block) {
    sectors.UseDriveMode();
    sectors.SetBlockIndex(block);
    ASSERT_EQ(sectors.WriteSectors(0, VolumeSectors(format_), sectors.blockImage()), 0);
}

FileInfo CopyTest::EntryInfo(const std::string& path) {
    FileInfo info = {};
    FsStatus status = engine.fsOpen(path.c_str(), nullptr);
    EXPECT_TRUE(status == FS_OK || status == FS_IS_DIRECTORY) << path << " " << int(status);
    EXPECT_EQ(engine.fsFileInfo(&info, kInfoRead), FS_OK);
    return info;
}
