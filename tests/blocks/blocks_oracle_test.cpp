// Blocks judged by FAT tools nobody here wrote: every kind of block we format, and a corpus we
// save, passes fsck.fat once cut out and reads back through mdir and mcopy in place; volumes made
// by mkfs.fat and mformat are written into blocks and opened byte for byte.
#include <algorithm>
#include <filesystem>

#include "blocks/block_status.h"
#include "blocks/usage_text.h"
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
    }
    // The block passes fsck.fat cut out of the drive, and mdir lists it in place: the label and
    // the DOS system files, in the order mdir shows them.
    std::string SoundRoot(uint32_t block, uint32_t volumeSectors) {
        sectors.CloseDrive();  // flushed, as a job leaves it
        const std::string cut = dir.File("cut.img");
        EXPECT_TRUE(CutSlot(drivePath, block, volumeSectors, cut));
        FsckReport fsck = RunFsck(cut);
        EXPECT_TRUE(FsckClean(fsck)) << "block " << block << ":\n" << fsck.output;
        ToolResult listing = MdirAt(drivePath, block);
        EXPECT_EQ(listing.exitCode, 0) << listing.output;
        std::vector<std::pair<size_t, std::string>> found;
        for (std::string name : {"is FLPPY" + std::to_string(block), std::string("IO       SYS"),
                                 std::string("MSDOS    SYS"), std::string("COMMAND  COM")})
            if (listing.output.find(name) != std::string::npos) found.push_back({listing.output.find(name), name});
        std::sort(found.begin(), found.end());
        std::string names;
        for (const auto& f : found)
            names += f.second + "|";
        AttachDrive();
        return names;
    }
};

struct FormatCase {
    int format;
    uint32_t sectors, clusterBytes;
};

class FormatOracleTest : public BlocksOracleTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(FormatOracleTest, FormattedBlocksAndASavedCorpusAreSoundAndReadBackByMcopy) {
    const FormatCase f = GetParam();
    MakeDrive(5);
    ImageFormatHost host(sectors, drive.imagePath);
    ASSERT_EQ(blocks.FormatDrive(host, 2, f.format, 1, Dos71), 0);
    AttachDrive();
    ASSERT_EQ(blocks.FormatBlock(2, 2, f.format, 0, DosNone), 0);
    ASSERT_EQ(blocks.FormatBlock(3, 3, f.format, 0, Dos622), 0);
    ASSERT_EQ(blocks.FormatBlock(4, 4, f.format, 1, DosNone), 0);
    for (uint32_t block = 0; block < 5; ++block) {
        const std::string dos = block == 2 || block == 4 ? "" : "IO       SYS|MSDOS    SYS|COMMAND  COM|";
        EXPECT_EQ(SoundRoot(block, f.sectors), "is FLPPY" + std::to_string(block) + "|" + dos);
    }

    const Tree corpus = ToolCorpus(f.clusterBytes);
    fs::create_directories(dir.File("in"));
    WriteHostTree(dir.File("in"), corpus, kCorpusMtime);
    ASSERT_EQ(blocks.CopyDirectoryToBlock(WideFromUtf8(dir.File("in")), 4, 4), 0);
    SoundRoot(4, f.sectors);
    sectors.CloseDrive();
    fs::create_directories(dir.File("mcopy"));
    const std::string slot = drivePath + "@@" + std::to_string(4 * kBlockImageSize);
    ToolResult copied = RunTool("mcopy -s -n -i " + ShellQuote(slot) + " ::/ " + ShellQuote(dir.File("mcopy")));
    ASSERT_EQ(copied.exitCode, 0) << copied.output;
    EXPECT_EQ(TreeDifferences(EngineDisplayTree(corpus), ReadHostTree(dir.File("mcopy"))), "");
    AttachDrive();
    ASSERT_EQ(blocks.CopyBlockToDirectory(WideFromUtf8(dir.File("open")), 4), 0);
    EXPECT_EQ(TreeDifferences(EngineDisplayTree(corpus), ReadHostTree(dir.File("open"))), "");
}

INSTANTIATE_TEST_SUITE_P(Formats,
                         FormatOracleTest,
                         ::testing::Values(FormatCase{Format144M, 2880, 512},
                                           FormatCase{Format12M, 2400, 1024},
                                           FormatCase{Format720K, 1440, 1024}),
                         [](const ::testing::TestParamInfo<FormatCase>& info) {
                             return std::to_string(info.param.sectors);
                         });

class ToolVolumeTest : public BlocksOracleTest, public ::testing::WithParamInterface<Geometry> {};

// The tools' 1.2M volumes have other FATs than ours (or one sector per cluster): they are written,
// listed and opened as FAT12 of another geometry, exported as the whole slot, and refused by save.
TEST_P(ToolVolumeTest, VolumeWrittenIntoABlockIsListedAndOpensByteForByte) {
    const Geometry& g = GetParam();
    MakeDrive(3);
    FormatDrive(3);
    AttachDrive();
    const std::string volume = dir.File("volume.img");
    ASSERT_TRUE(MakeVolume(g, volume));
    const Tree corpus = ToolCorpus(g.sectorsPerCluster * kSectorSize);
    ASSERT_TRUE(CopyTreeIn(corpus, dir.File("host"), volume));
    ASSERT_EQ(blocks.WriteImageToBlock(WideFromUtf8(volume), 1, 1), 0);
    EXPECT_TRUE(frontEnd.Lines("ask").empty()) << "a FAT12 volume was questioned";
    FloppyFormat code = Format144M;
    ASSERT_EQ(blocks.LoadBlockImage(1, &code), 0);
    DiskInfo totals{};
    ASSERT_EQ(blocks.DetectFloppyFormat(&totals, &code), 0);
    EXPECT_EQ(frontEnd.Cell(1, 1), CapacityText(totals.totalSectors));
    EXPECT_EQ(code == FormatOther, std::string(g.name).find("1200") != std::string::npos) << "format " << code;

    ASSERT_EQ(blocks.CopyBlockToDirectory(WideFromUtf8(dir.File("open")), 1), 0);
    EXPECT_EQ(TreeDifferences(EngineDisplayTree(corpus), ReadHostTree(dir.File("open"))), "");
    EXPECT_TRUE(frontEnd.Lines("warn").empty());
    ASSERT_EQ(blocks.ExportBlockToImage(WideFromUtf8(dir.File("back.img")), 1), 0);
    EXPECT_EQ(ReadWholeFile(dir.File("back.img")).size(), code == FormatOther ? kBlockImageSize : g.bytes);
    if (code == FormatOther) {
        const std::string before = Slot(1);
        EXPECT_EQ(blocks.CopyDirectoryToBlock(WideFromUtf8(dir.File("open")), 1, 1), BLK_NOT_FAT12);
        EXPECT_TRUE(Slot(1) == before) << "a refused save changed the block";
    }
}

INSTANTIATE_TEST_SUITE_P(Tools,
                         ToolVolumeTest,
                         ::testing::ValuesIn(kGeometries),
                         [](const ::testing::TestParamInfo<Geometry>& info) { return GeometryName(info.param); });

TEST_F(BlocksOracleTest, Fat16ImageIsWrittenOnlyWhenTheUserSaysSo) {
    MakeDrive(2);
    AttachDrive();
    const std::string image = dir.File("fat16.img");
    ToolResult made =
        RunTool("mkfs.fat -C -F 16 -s 1 " + ShellQuote(image) + " 8192 && truncate -s 1572864 " + ShellQuote(image));
    ASSERT_EQ(made.exitCode, 0) << made.output;
    const std::string before = Slot(1);
    ASSERT_EQ(blocks.WriteImageToBlock(WideFromUtf8(image), 1, 0), 0);
    EXPECT_EQ(frontEnd.Lines("ask"),
              std::vector<std::string>{"The format of image file is not FAT12 \n write or not?"});
    EXPECT_TRUE(Slot(1) == before) << "written although the user said no";
}

}  // namespace
