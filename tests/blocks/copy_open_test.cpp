// Opening blocks into PC directories: the tree under long names, the three formats, existing
// files replaced or kept under counted names, emptying the target, attributes and times, the
// path limit, and the failures that end an open.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/texts.h"
#include "blocks/block_status.h"
#include "disk/wide_path.h"
#include "fatfs/byte_order.h"
#include "tests/blocks/copy_fixture.h"

namespace fs = std::filesystem;

namespace {

class CopyOpenTest : public CopyTest {
protected:
    void SetUp() override {
        MakeBlocks(3);
        manager.fileExistMode = 0;
        manager.dirDelAllFile = 1;
        manager.keepFileInfo = 1;
    }

    // The standard content of the tests: long and short names, nested directories, files of
    // 0, 1 and many bytes. Returns the tree the PC should receive.
    PcTree FillBlock(uint32_t block, size_t bigSize = 1000000) {
        LoadVolume(block);
        PutFile("\\README.TXT", TestBytes(100, 1));
        PutFile("\\LONGFI~1.TXT", TestBytes(1, 2), u"Long File Name.txt");
        PutFile("\\EMPTY.BIN", "");
        PutFile("\\BIG.DAT", TestBytes(bigSize, 3));
        PutDirectory("\\MYDOCU~1", u"My Documents");
        PutFile("\\MYDOCU~1\\NOTES~1.TEX", TestBytes(2000, 4), u"notes.text");
        PutDirectory("\\MYDOCU~1\\DEEPER");
        PutDirectory("\\MYDOCU~1\\DEEPER\\DEEPES~1", u"Deepest Level");
        PutFile("\\MYDOCU~1\\DEEPER\\DEEPES~1\\FINAL.TXT", TestBytes(4097, 5));
        StoreVolume(block);
        return {{"README.TXT", TestBytes(100, 1)},
                {"Long File Name.txt", TestBytes(1, 2)},
                {"EMPTY.BIN", ""},
                {"BIG.DAT", TestBytes(bigSize, 3)},
                {"My Documents", kDirMark},
                {"My Documents/notes.text", TestBytes(2000, 4)},
                {"My Documents/DEEPER", kDirMark},
                {"My Documents/DEEPER/Deepest Level", kDirMark},
                {"My Documents/DEEPER/Deepest Level/FINAL.TXT", TestBytes(4097, 5)}};
    }

    PcEntry Entry(const std::string& dirName, const std::wstring& name) {
        PcEntry entry;
        EXPECT_TRUE(pc.FindEntry(WPcRoot(dirName), name, &entry));
        return entry;
    }
};

TEST_F(CopyOpenTest, BlockArrivesUnderItsLongNamesByteForByte) {
    PcTree expected = FillBlock(1);
    log->writes.clear();
    ASSERT_EQ(manager.CopyBlockToDirectory(WPcRoot("FLOPPY001"), 1), 0);
    EXPECT_EQ(ReadPcTree(PcRoot("FLOPPY001")), expected);
    // The label and the "." and ".." entries are never copied; the drive is never written.
    EXPECT_TRUE(frontEnd.warnings.empty());
    EXPECT_TRUE(log->writes.empty());
}

class CopyOpenFormatTest : public CopyOpenTest, public ::testing::WithParamInterface<FloppyFormat> {
protected:
    void SetUp() override {
        MakeBlocks(2, GetParam());
        manager.dirDelAllFile = 1;
    }
};

TEST_P(CopyOpenFormatTest, EveryFormatOpens) {
    PcTree expected = FillBlock(1, 600000);
    ASSERT_EQ(manager.CopyBlockToDirectory(WPcRoot("out"), 1), 0);
    EXPECT_EQ(ReadPcTree(PcRoot("out")), expected);
}

INSTANTIATE_TEST_SUITE_P(Formats, CopyOpenFormatTest, ::testing::Values(Format144M, Format12M, Format720K));

TEST_F(CopyOpenTest, EmptyBlockMakesOnlyTheTargetDirectory) {
    ASSERT_EQ(manager.CopyBlockToDirectory(WPcRoot("up/E/FLOPPY002"), 2), 0);
    EXPECT_TRUE(fs::is_directory(PcRoot("up/E/FLOPPY002")));
    EXPECT_TRUE(ReadPcTree(PcRoot("up/E/FLOPPY002")).empty());
}

TEST_F(CopyOpenTest, BlockOfAnotherGeometryOpensAsAWholeSlot) {
    LoadVolume(1);
    PutFile("\\KEPT.TXT", TestBytes(3000, 7));
    // 2879 sectors instead of 2880: one cluster less than any format of ours.
    Store16(sectors.blockImage() + 19, 2879);
    StoreVolume(1);
    FloppyFormat code = Format144M;
    ASSERT_EQ(manager.LoadBlockImage(1, &code), 0);
    ASSERT_EQ(code, FormatOther);
    ASSERT_EQ(manager.CopyBlockToDirectory(WPcRoot("out"), 1), 0);
    EXPECT_EQ(ReadPcTree(PcRoot("out")), (PcTree{{"KEPT.TXT", TestBytes(3000, 7)}}));
}

TEST_F(CopyOpenTest, UnformattedBlockIsRefusedBeforeThePcIsTouched) {
    WriteDriveSectors(2 * kSlotSectors, std::string(kSectorSize * 16, '\0'));
    int status = manager.CopyBlockToDirectory(WPcRoot("out"), 2);
    EXPECT_NE(status, 0);
    EXPECT_GT(status, 1);  // the engine's own status
    EXPECT_FALSE(fs::exists(PcRoot("out")));
}

TEST_F(CopyOpenTest, ClearingEmptiesTheTargetFirstButKeepsDotDirectoriesAndIsASetting) {
    FillBlock(1);
    WritePcTree(PcRoot("out"), {{"stale.txt", "old"}, {"Stale Dir/x.txt", "old"}, {".keep/y.txt", "kept"}});
    ASSERT_EQ(manager.CopyBlockToDirectory(WPcRoot("out"), 1), 0);
    PcTree tree = ReadPcTree(PcRoot("out"));
    EXPECT_EQ(tree.count("stale.txt"), 0u);
    EXPECT_EQ(tree.count("Stale Dir"), 0u);
    EXPECT_EQ(tree.at(".keep/y.txt"), "kept");
    EXPECT_EQ(tree.at("README.TXT"), TestBytes(100, 1));

    // Without clearing, earlier files stay.
    manager.dirDelAllFile = 0;
    WritePcTree(PcRoot("out"), {{"stale.txt", "old"}});
    ASSERT_EQ(manager.CopyBlockToDirectory(WPcRoot("out"), 1), 0);
    EXPECT_EQ(ReadPcTree(PcRoot("out")).at("stale.txt"), "old");
}

TEST_F(CopyOpenTest, ReplaceModeOverwritesEvenAReadOnlyFile) {
    FillBlock(1);
    manager.dirDelAllFile = 0;
    WritePcTree(PcRoot("out"), {{"README.TXT", "a much longer text that was there before the open"}});
    ASSERT_TRUE(pc.WriteAttributes(WPcRoot("out/README.TXT"), kPcReadOnly));
    ASSERT_EQ(manager.CopyBlockToDirectory(WPcRoot("out"), 1), 0);
    EXPECT_EQ(ReadWholeFile(PcRoot("out/README.TXT")), TestBytes(100, 1));
    EXPECT_EQ(ReadPcTree(PcRoot("out")).count("README(2).TXT"), 0u);
}

TEST_F(CopyOpenTest, RenameModeKeepsEveryExistingFileAndCountsUp) {
    FillBlock(1);
    manager.dirDelAllFile = 0;
    manager.fileExistMode = 1;
    WritePcTree(PcRoot("out"), {{"README.TXT", "1"}, {"README(2).TXT", "2"}, {"README(3).TXT", "3"}});
    ASSERT_EQ(manager.CopyBlockToDirectory(WPcRoot("out"), 1), 0);
    PcTree tree = ReadPcTree(PcRoot("out"));
    EXPECT_EQ(tree.at("README.TXT"), "1");
    EXPECT_EQ(tree.at("README(3).TXT"), "3");
    EXPECT_EQ(tree.at("README(4).TXT"), TestBytes(100, 1));

    // A second open of the same block: every file a second time, directories shared.
    ASSERT_EQ(manager.CopyBlockToDirectory(WPcRoot("out"), 1), 0);
    tree = ReadPcTree(PcRoot("out"));
    EXPECT_EQ(tree.at("README(5).TXT"), TestBytes(100, 1));
    EXPECT_EQ(tree.at("Long File Name(2).txt"), TestBytes(1, 2));
    EXPECT_EQ(tree.at("My Documents/DEEPER/Deepest Level/FINAL(2).TXT"), TestBytes(4097, 5));
    EXPECT_EQ(tree.count("My Documents(2)"), 0u);
}

TEST_F(CopyOpenTest, AttributesAndTimesAreCarriedToFilesAndDirectories) {
    LoadVolume(1);
    PutFile("\\LOCKED.TXT", "locked", u"", 0x21);
    PutDirectory("\\FOLDER");
    PutFile("\\FOLDER\\INSIDE.TXT", "inside");
    StoreVolume(1);
    ASSERT_EQ(manager.CopyBlockToDirectory(WPcRoot("out"), 1), 0);

    uint32_t attributes = 0;
    ASSERT_TRUE(pc.ReadAttributes(WPcRoot("out/LOCKED.TXT"), &attributes));
    EXPECT_TRUE(attributes & kPcReadOnly);
    ASSERT_TRUE(pc.ReadAttributes(WPcRoot("out/FOLDER/INSIDE.TXT"), &attributes));
    EXPECT_FALSE(attributes & kPcReadOnly);
    for (const auto& [dirName, name] : {std::make_pair("out", L"LOCKED.TXT"), std::make_pair("out", L"FOLDER"),
                                        std::make_pair("out/FOLDER", L"INSIDE.TXT")}) {
        SCOPED_TRACE(Utf8FromWide(name));
        PcEntry entry = Entry(dirName, name);
        DosStamp write = PcFileSystem::DosFromPcTime(entry.writeTime);
        EXPECT_EQ(write.date, kEntryWrite.date);
        EXPECT_EQ(write.time, kEntryWrite.time);
        EXPECT_EQ(PcFileSystem::DosFromPcTime(entry.accessTime).date, kEntryAccessDate);
        if (PcKeepsCreationTimes()) {
            EXPECT_EQ(PcFileSystem::DosFromPcTime(entry.creationTime).date, kEntryCreation.date);
        }
    }
}

#ifdef _WIN32
TEST_F(CopyOpenTest, HiddenAndSystemFilesArriveHiddenAndSystem) {
    LoadVolume(1);
    PutFile("\\SECRET.SYS", "s", u"", 0x27);
    StoreVolume(1);
    ASSERT_EQ(manager.CopyBlockToDirectory(WPcRoot("out"), 1), 0);
    uint32_t attributes = 0;
    ASSERT_TRUE(pc.ReadAttributes(WPcRoot("out/SECRET.SYS"), &attributes));
    EXPECT_EQ(attributes & 0x27, 0x27u);
    // A second open replaces it although it is hidden and read-only.
    manager.dirDelAllFile = 0;
    EXPECT_EQ(manager.CopyBlockToDirectory(WPcRoot("out"), 1), 0);
}
#endif

TEST_F(CopyOpenTest, WithoutKeepingInfoFilesAreWritableAndStampedNow) {
    LoadVolume(1);
    PutFile("\\LOCKED.TXT", "locked", u"", 0x21);
    StoreVolume(1);
    manager.keepFileInfo = 0;
    ASSERT_EQ(manager.CopyBlockToDirectory(WPcRoot("out"), 1), 0);
    uint32_t attributes = 0;
    ASSERT_TRUE(pc.ReadAttributes(WPcRoot("out/LOCKED.TXT"), &attributes));
    EXPECT_FALSE(attributes & kPcReadOnly);
    EXPECT_NE(PcFileSystem::DosFromPcTime(Entry("out", L"LOCKED.TXT").writeTime).date, kEntryWrite.date);
}

TEST_F(CopyOpenTest, StampsThatAreNoDateLeaveThePcTimesAlone) {
    LoadVolume(1);
    PutFile("\\NODATE.TXT", "x", u"", 0x20, DosStamp{0, 0});
    StoreVolume(1);
    WriteWholeFile(dir.File("clock"), "");
    PcTime before = Entry("", L"clock").writeTime;
    ASSERT_EQ(manager.CopyBlockToDirectory(WPcRoot("out"), 1), 0);
    PcEntry entry = Entry("out", L"NODATE.TXT");
    EXPECT_GE(entry.writeTime + 20000000, before);  // written now, not set to some default
    // The access date was valid and was carried.
    EXPECT_EQ(PcFileSystem::DosFromPcTime(entry.accessTime).date, kEntryAccessDate);
}

TEST_F(CopyOpenTest, NamesPastTheLimitAreWarnedAboutAndSkipped) {
    LoadVolume(1);
    PutFile("\\A.TXT", "a");
    PutFile("\\LONGFI~1.TXT", "long", u"Long File Name.txt");
    PutDirectory("\\SUBDIR");
    PutFile("\\SUBDIR\\X.TXT", "x");
    StoreVolume(1);
    // A target of exactly 200 characters: "/A.TXT" and "/SUBDIR" fit in 210, the others do not.
    std::string base = dir.File("");
    std::string target = base + std::string(200 - base.size(), 'd');
    ASSERT_EQ(target.size(), 200u);
    ASSERT_EQ(manager.CopyBlockToDirectory(WideFromUtf8(target), 1), 0);
    EXPECT_EQ(ReadPcTree(target), (PcTree{{"A.TXT", "a"}, {"SUBDIR", kDirMark}}));
    EXPECT_EQ(frontEnd.warnings, (std::vector<std::wstring>{kNameTooLong, kNameTooLong}));
    EXPECT_EQ(std::wstring(TextById(kTextNameTooLong)), kNameTooLong);
}

TEST_F(CopyOpenTest, FileThatCannotBeCreatedEndsTheOpenWithItsPath) {
    FillBlock(1);
    manager.dirDelAllFile = 0;
    WritePcTree(PcRoot("out"), {{"README.TXT", kDirMark}});
    ASSERT_EQ(manager.CopyBlockToDirectory(WPcRoot("out"), 1), BLK_WIN_ERROR);
    EXPECT_EQ(std::wstring(manager.lastErrorPath), JoinForTest(WPcRoot("out"), L"README.TXT"));
}

TEST_F(CopyOpenTest, DirectoryThatCannotBeMadeEndsTheOpenWithoutAPath) {
    FillBlock(1);
    manager.dirDelAllFile = 0;
    WritePcTree(PcRoot("out"), {{"My Documents", "a file in the way"}});
    EXPECT_EQ(manager.CopyBlockToDirectory(WPcRoot("out"), 1), BLK_WIN_ERROR);
    EXPECT_EQ(std::wstring(manager.lastErrorPath), L"");
}

#ifndef _WIN32
TEST_F(CopyOpenTest, FileThatCannotBeWrittenEndsTheOpenWithItsPath) {
    FillBlock(1);
    manager.dirDelAllFile = 0;
    fs::create_directories(PcRoot("out"));
    fs::create_symlink("/dev/full", PcRoot("out/BIG.DAT"));
    ASSERT_EQ(manager.CopyBlockToDirectory(WPcRoot("out"), 1), BLK_WIN_ERROR);
    EXPECT_EQ(std::wstring(manager.lastErrorPath), WPcRoot("out/BIG.DAT"));
}
#endif

}  // namespace
