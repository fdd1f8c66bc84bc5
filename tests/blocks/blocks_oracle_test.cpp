// Blocks judged by FAT tools nobody here wrote: a bootable block from a whole-drive format and a
// saved corpus pass fsck.fat once cut out, mdir lists them in place, and mcopy reads the corpus
// back from the drive as our own open does.
#include <filesystem>

#include "disk/wide_path.h"
#include "oracle/host_tree.h"
#include "oracle/tool_volumes.h"
#include "support/drive_image_test.h"
#include "support/fat_tools.h"
#include "support/image_format_host.h"

namespace fs = std::filesystem;

namespace {

class BlocksOracleTest : public DriveImageTest {
protected:
    void SetUp() override {
        if (!FatToolsPresent()) GTEST_SKIP() << "dosfstools or mtools is not installed";
        MakeDrive(3);
    }
    // fsck.fat on the block cut out of the drive has nothing to complain of, and mdir lists it in
    // place under its label.
    void ExpectSound(uint32_t block, uint32_t volumeSectors) {
        sectors.CloseDrive();  // flushed, as a job leaves it
        EXPECT_TRUE(CutSlot(drivePath, block, volumeSectors, dir.File("cut.img")));
        FsckReport fsck = RunFsck(dir.File("cut.img"));
        EXPECT_TRUE(FsckClean(fsck)) << "block " << block << ":\n" << fsck.output;
        ToolResult listing = MdirAt(drivePath, block);
        EXPECT_NE(listing.output.find("is FLPPY" + std::to_string(block)), std::string::npos) << listing.output;
        AttachDrive();
    }
};

struct FormatCase {
    int format;
    uint32_t sectors, clusterBytes;
};

class SavedCorpusTest : public BlocksOracleTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(SavedCorpusTest, BootableBlockAndSavedCorpusAreSoundAndMcopyReadsTheCorpusBack) {
    const FormatCase f = GetParam();
    ImageFormatHost host(sectors, drive.imagePath);
    ASSERT_EQ(blocks.FormatDrive(host, 2, f.format, 1, Dos71), 0);
    AttachDrive();
    ExpectSound(0, f.sectors);
    const Tree corpus = ToolCorpus(f.clusterBytes);
    fs::create_directories(dir.File("in"));
    WriteHostTree(dir.File("in"), corpus, kCorpusMtime);
    ASSERT_EQ(blocks.CopyDirectoryToBlock(WideFromUtf8(dir.File("in")), 1, 1), 0);
    ExpectSound(1, f.sectors);
    sectors.CloseDrive();
    fs::create_directories(dir.File("mcopy"));
    const std::string slot = drivePath + "@@" + std::to_string(kBlockImageSize);
    ToolResult copied = RunTool("mcopy -s -n -i " + ShellQuote(slot) + " ::/ " + ShellQuote(dir.File("mcopy")));
    ASSERT_EQ(copied.exitCode, 0) << copied.output;
    EXPECT_EQ(TreeDifferences(corpus, ReadHostTree(dir.File("mcopy"))), "");
    AttachDrive();
    ASSERT_EQ(blocks.CopyBlockToDirectory(WideFromUtf8(dir.File("open")), 1), 0);
    EXPECT_EQ(TreeDifferences(corpus, ReadHostTree(dir.File("open"))), "");
}

// mkfs.fat's volume with 1.2M's data area but seven reserved sectors and FATs of four sectors:
// save must not rebuild it as a 1.2M volume over its own layout.
TEST_F(BlocksOracleTest, SaveRefusesAVolumeOfAnotherLayoutAndLeavesItSound) {
    const std::string volume = dir.File("r7.img");
    ToolResult made = RunTool("mkfs.fat -C -F 12 -s 2 -R 7 -r 224 -M 0xF9 -g 2/15 " + ShellQuote(volume) + " 1200");
    ASSERT_EQ(made.exitCode, 0) << made.output;
    AttachDrive();
    ASSERT_EQ(blocks.WriteImageToBlock(WideFromUtf8(volume), 1, 1), 0);
    fs::create_directories(dir.File("in"));
    WriteWholeFile(dir.File("in/ONE.TXT"), "one");
    EXPECT_EQ(blocks.CopyDirectoryToBlock(WideFromUtf8(dir.File("in")), 1, 1), BLK_NOT_FAT12);
    EXPECT_EQ(Utf8FromWide(blocks.lastFailure.detail),
              "the block holds a floppy format that save cannot rebuild; format the block or write an image into it");
    sectors.CloseDrive();
    ASSERT_TRUE(CutSlot(drivePath, 1, 2400, dir.File("cut.img")));
    FsckReport fsck = RunFsck(dir.File("cut.img"));
    EXPECT_TRUE(FsckClean(fsck)) << fsck.output;
}

INSTANTIATE_TEST_SUITE_P(Formats,
                         SavedCorpusTest,
                         ::testing::Values(FormatCase{Format144M, 2880, 512},
                                           FormatCase{Format12M, 2400, 1024},
                                           FormatCase{Format720K, 1440, 1024}),
                         [](const auto& info) { return std::to_string(info.param.sectors); });

}  // namespace
