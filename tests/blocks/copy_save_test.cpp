// Saving PC directories into blocks: the tree and its long names come back on open, the block
// keeps its boot sector and gets a stamp, boot files go first, attributes and times reach the
// entries, and every refusal (too large, full, other geometry, unformatted) leaves the block as
// it was on the drive.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>

#include "blocks/block_header.h"
#include "blocks/block_status.h"
#include "disk/wide_path.h"
#include "fatfs/byte_order.h"
#include "tests/blocks/copy_fixture.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

class CopySaveTest : public CopyTest {
protected:
    void SetUp() override { MakeBlocks(3); }

    // Saves PC directory `source` into block 1, expects the block on the drive untouched, and
    // gives the save's status.
    int SaveRefused(const std::string& source) {
        std::string before = Slot(1);
        log->writes.clear();
        int status = manager.CopyDirectoryToBlock(WPcRoot(source), 1, 1);
        EXPECT_TRUE(log->writes.empty());
        EXPECT_TRUE(Slot(1) == before);
        return status;
    }

    std::vector<std::string> RootNames() {
        LoadVolume(1);
        std::vector<std::string> names;
        for (const RootEntry& e : RootEntries(19, 14))
            names.push_back(e.name);
        return names;
    }
};

PcTree SampleTree() {
    PcTree tree = {{"README.TXT", TestBytes(100, 1)},
                   {"My Document.txt", TestBytes(1, 2)},
                   {"empty file.bin", ""},
                   {"Large Data File.bin", TestBytes(1000000, 3)},
                   {"Program Files", kDirMark},
                   {"Program Files/ABC", kDirMark},
                   {"Program Files/ABC/FILE.TXT", TestBytes(64, 4)},
                   {"Program Files/Sub Folder", kDirMark},
                   {"Program Files/Sub Folder/notes.text", TestBytes(2000, 5)},
                   {"Program Files/Sub Folder/Deepest Level", kDirMark},
                   {"Program Files/Sub Folder/Deepest Level/Final File Name Here.txt", TestBytes(4097, 6)}};
#ifndef _WIN32
    tree["Program Files/Sub Folder/Caf\u00e9 Men\u00fc.txt"] = TestBytes(21, 7);
    tree[".profile"] = TestBytes(30, 8);
#endif
    return tree;
}

TEST_F(CopySaveTest, SavedTreeOpensBackUnderTheSameNames) {
    PcTree tree = SampleTree();
    WritePcTree(PcRoot("in"), tree);
    ASSERT_EQ(manager.CopyDirectoryToBlock(WPcRoot("in"), 1, 1), 0);
    ASSERT_EQ(manager.CopyBlockToDirectory(WPcRoot("back"), 1), 0);
    EXPECT_EQ(ReadPcTree(PcRoot("back")), tree);
}

TEST_F(CopySaveTest, LowerCaseEightDotThreeNamesComeBackInUpperCase) {
    // They get no short alias of their own, as on Windows, and so no long name on the block.
    WritePcTree(PcRoot("in"), {{"readme.txt", "r"}, {"sub", kDirMark}, {"sub/a.b", "ab"}});
    ASSERT_EQ(manager.CopyDirectoryToBlock(WPcRoot("in"), 1, 1), 0);
    ASSERT_EQ(manager.CopyBlockToDirectory(WPcRoot("back"), 1), 0);
    EXPECT_EQ(ReadPcTree(PcRoot("back")), (PcTree{{"README.TXT", "r"}, {"SUB", kDirMark}, {"SUB/A.B", "ab"}}));
}

TEST_F(CopySaveTest, BlockKeepsItsBootSectorIsWrittenOnceAndStamped) {
    std::string bootSector = Slot(1, 1);
    WritePcTree(PcRoot("in"), {{"a.txt", "a"}});
    log->writes.clear();
    ASSERT_EQ(manager.CopyDirectoryToBlock(WPcRoot("in"), 1, 1), 0);
    std::vector<Transfer> expected = {{kSlotSectors, 2880}, {kSlotSectors + kHeaderSector, 1}};
    EXPECT_EQ(log->writes, expected);
    EXPECT_EQ(Slot(1, 1), bootSector);
    std::string header = DriveSectors(kSlotSectors + kHeaderSector, 1);
    EXPECT_EQ(header.substr(0, 31), "UPDATE TIME:2026-12-05 19-49-29");
    // The stamp is in the block image too, and the row shows it.
    EXPECT_EQ(std::memcmp(sectors.blockImage() + kHeaderSector * kSectorSize, header.data(), kSectorSize), 0);
    EXPECT_EQ(frontEnd.Cell(1, 3), L"2026-12-05 19-49-29");
    EXPECT_EQ(RootNames(), (std::vector<std::string>{"FLPPY1", "A.TXT"}));
}

TEST_F(CopySaveTest, MissingPcDirectoryIsMadeAndLeavesAnEmptyVolume) {
    LoadVolume(1);
    PutFile("\\OLD.TXT", "old");
    StoreVolume(1);
    ASSERT_EQ(manager.CopyDirectoryToBlock(WPcRoot("never/made"), 1, 1), 0);
    EXPECT_TRUE(fs::is_directory(PcRoot("never/made")));
    EXPECT_EQ(RootNames(), (std::vector<std::string>{"FLPPY1"}));
}

TEST_F(CopySaveTest, BootFilesFollowTheLabelWhereverTheyAreListed) {
    WritePcTree(PcRoot("in"), {{"AAA.TXT", "a"},
                               {"COMMAND.COM", TestBytes(5000, 1)},
                               {"IO.SYS", TestBytes(4000, 2)},
                               {"MSDOS.SYS", TestBytes(10, 3)},
                               {"ZZZ.TXT", "z"}});
    ASSERT_EQ(manager.CopyDirectoryToBlock(WPcRoot("in"), 1, 1), 0);
    std::vector<std::string> names = RootNames();
    ASSERT_EQ(names.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 4),
              (std::vector<std::string>{"FLPPY1", "IO.SYS", "MSDOS.SYS", "COMMAND.COM"}));
    EXPECT_EQ(std::set<std::string>(names.begin() + 4, names.end()), (std::set<std::string>{"AAA.TXT", "ZZZ.TXT"}));
    ASSERT_EQ(manager.CopyBlockToDirectory(WPcRoot("back"), 1), 0);
    EXPECT_EQ(ReadPcTree(PcRoot("back")).at("COMMAND.COM"), TestBytes(5000, 1));
}

TEST_F(CopySaveTest, BootFilesInLowerCaseAreWrittenOnce) {
    WritePcTree(PcRoot("in"), {{"io.sys", TestBytes(4000, 2)}, {"b.txt", "b"}});
    ASSERT_EQ(manager.CopyDirectoryToBlock(WPcRoot("in"), 1, 1), 0);
    EXPECT_EQ(RootNames(), (std::vector<std::string>{"FLPPY1", "IO.SYS", "B.TXT"}));
}

TEST_F(CopySaveTest, AttributesAndTimesReachTheEntries) {
    WritePcTree(PcRoot("in"), {{"LOCKED.TXT", "x"}, {"FOLDER", kDirMark}});
    EntryTimes times;
    times.write = {FatDate(2019, 7, 4), FatTime(8, 9, 10)};
    times.access = {FatDate(2019, 7, 5), 0};
    times.creation = times.write;
    ASSERT_EQ(pc.ApplyEntryTimes(WPcRoot("in/LOCKED.TXT"), times), 1);
    ASSERT_EQ(pc.ApplyEntryTimes(WPcRoot("in/FOLDER"), times), 1);
    ASSERT_TRUE(pc.WriteAttributes(WPcRoot("in/LOCKED.TXT"), kPcReadOnly));
    ASSERT_EQ(manager.CopyDirectoryToBlock(WPcRoot("in"), 1, 1), 0);

    LoadVolume(1);
    FileInfo file = EntryInfo("\\LOCKED.TXT");
    EXPECT_EQ(file.writeDate, times.write.date);
    EXPECT_EQ(file.writeTime, times.write.time);
    EXPECT_EQ(file.accessDate, times.access.date);
    EXPECT_EQ(file.size, 1u);
#ifdef _WIN32
    EXPECT_EQ(file.attribute & 0x37, 0x01 | (file.attribute & 0x20));
    EXPECT_EQ(file.createDate, times.creation.date);
#else
    EXPECT_EQ(file.attribute, 0x01);
#endif
    FileInfo folder = EntryInfo("\\FOLDER");
    EXPECT_EQ(folder.attribute & 0x10, 0x10);
    EXPECT_EQ(folder.writeDate, times.write.date);
}

TEST_F(CopySaveTest, FileLargerThanASlotIsRefusedAnywhereInTheTree) {
    WritePcTree(PcRoot("in"), {{"a.txt", "a"}, {"deep/deeper/huge.bin", TestBytes(2 * 1024 * 1024, 9)}});
    EXPECT_EQ(SaveRefused("in"), BLK_FILE_TOO_LARGE);
}

TEST_F(CopySaveTest, FullVolumeGivesTheEnginesStatusAndWritesNothing) {
    WritePcTree(PcRoot("in"), {{"a.bin", TestBytes(800000, 1)}, {"b.bin", TestBytes(800000, 2)}});
    EXPECT_EQ(SaveRefused("in"), FS_DISK_FULL);
}

TEST_F(CopySaveTest, FullRootGivesTheEnginesStatusAndWritesNothing) {
    PcTree tree;
    for (int i = 0; i < 224; ++i)
        tree["F" + std::to_string(1000 + i) + ".TXT"] = "x";
    WritePcTree(PcRoot("in"), tree);
    EXPECT_EQ(SaveRefused("in"), FS_ROOT_FULL);
}

TEST_F(CopySaveTest, BlockOfAnotherGeometryIsRefusedWithNotFat12) {
    LoadVolume(1);
    Store16(sectors.blockImage() + 19, 2879);
    StoreVolume(1);
    WritePcTree(PcRoot("in"), {{"a.txt", "a"}});
    EXPECT_EQ(SaveRefused("in"), BLK_NOT_FAT12);
}

TEST_F(CopySaveTest, UnformattedBlockIsRefusedWithTheEnginesStatus) {
    WriteDriveSectors(kSlotSectors, std::string(16 * kSectorSize, '\0'));
    WritePcTree(PcRoot("in"), {{"a.txt", "a"}});
    int status = SaveRefused("in");
    EXPECT_GT(status, 1);
    EXPECT_LT(status, 256);
}

#ifndef _WIN32
TEST_F(CopySaveTest, UnreadableFileEndsTheSaveWithItsPath) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    WritePcTree(PcRoot("in"), {{"secret.txt", "s"}});
    ASSERT_EQ(chmod(PcRoot("in/secret.txt").c_str(), 0), 0);
    EXPECT_EQ(SaveRefused("in"), BLK_WIN_ERROR);
    EXPECT_EQ(std::wstring(manager.lastErrorPath), WPcRoot("in/secret.txt"));
}

TEST_F(CopySaveTest, PipesAreLeftOutAndLinkedFilesFollowed) {
    WritePcTree(PcRoot("in"), {{"a.txt", "a"}});
    WritePcTree(PcRoot("elsewhere"), {{"b.txt", "b"}});
    ASSERT_EQ(mkfifo(PcRoot("in/pipe").c_str(), 0600), 0);
    fs::create_symlink(PcRoot("elsewhere/b.txt"), PcRoot("in/linked.txt"));
    fs::create_symlink(PcRoot("nowhere"), PcRoot("in/dangling"));
    ASSERT_EQ(manager.CopyDirectoryToBlock(WPcRoot("in"), 1, 1), 0);
    ASSERT_EQ(manager.CopyBlockToDirectory(WPcRoot("back"), 1), 0);
    EXPECT_EQ(ReadPcTree(PcRoot("back")), (PcTree{{"A.TXT", "a"}, {"LINKED.TXT", "b"}}));
}

TEST_F(CopySaveTest, DirectoryLinkedIntoItselfEndsAtTheSystemsLinkLimit) {
    WritePcTree(PcRoot("in"), {{"a.txt", "a"}});
    fs::create_directory_symlink(PcRoot("in"), PcRoot("in/again"));
    ASSERT_EQ(manager.CopyDirectoryToBlock(WPcRoot("in"), 1, 1), 0);
    // The system stops following the link after a few dozen levels; the block holds that many.
    ASSERT_EQ(manager.CopyBlockToDirectory(WPcRoot("back"), 1), 0);
    size_t copies = 0;
    for (const auto& item : ReadPcTree(PcRoot("back")))
        copies += item.second == "a" ? 1 : 0;
    EXPECT_GT(copies, 2u);
    EXPECT_LT(copies, 100u);
}
#endif

}  // namespace
