// Blocks made by formatting, whole-drive formatting and image writing, cut out of the drive
// image and judged by fsck.fat and mdir; images made by mkfs.fat written into blocks.
#include <algorithm>
#include <sstream>
#include <vector>

#include "app/texts.h"
#include "blocks/drive_format.h"
#include "blocks/usage_text.h"
#include "support/image_format_host.h"
#include "tests/blocks/block_drive.h"
#include "support/fat_tools.h"

namespace {

class BlocksOracleTest : public BlockDriveTest {
protected:
    void SetUp() override {
        if (!FatToolsPresent()) GTEST_SKIP() << "dosfstools or mtools is not installed";
    }

    // The block passes fsck.fat once cut out, and mdir lists it in place under its label.
    void ExpectSound(uint32_t block, uint32_t volumeSectors) {
        SCOPED_TRACE("block " + std::to_string(block));
        sectors.CloseDrive();  // flushed, as a job leaves the drive
        std::string cut = dir.File("cut" + std::to_string(block) + ".img");
        ASSERT_TRUE(CutSlot(drivePath, block, volumeSectors, cut));
        FsckReport verdict = RunFsck(cut);
        EXPECT_TRUE(FsckClean(verdict)) << verdict.output;
        ToolResult listing = MdirAt(drivePath, block);
        EXPECT_EQ(listing.exitCode, 0) << listing.output;
        EXPECT_NE(listing.output.find("Volume in drive : is FLPPY" + std::to_string(block)), std::string::npos)
            << listing.output;
        lastListing = listing.output;
        AttachDrive();
    }

    // The order in which mdir names the given files.
    static std::vector<std::string> Order(const std::string& listing, const std::vector<std::string>& names) {
        std::vector<std::pair<size_t, std::string>> found;
        for (const std::string& name : names) {
            size_t at = listing.find(name);
            if (at != std::string::npos) found.push_back({at, name});
        }
        std::sort(found.begin(), found.end());
        std::vector<std::string> order;
        for (const auto& f : found)
            order.push_back(f.second);
        return order;
    }

    std::string lastListing;
};

TEST_F(BlocksOracleTest, EveryKindOfFormattedBlockIsSound) {
    MakeDrive(13ull * kSlotSectors + 1);
    const struct {
        int quick;
        int dos;
    } kinds[] = {{1, DosNone}, {0, DosNone}, {0, Dos622}, {1, Dos71}};
    uint32_t block = 0;
    for (const FormatSectors& f : kFormatSectors) {
        for (const auto& k : kinds) {
            ASSERT_EQ(manager.FormatBlock(block, 0, f.format, k.quick, k.dos), BLK_OK);
            ExpectSound(block, f.sectors);
            if (k.dos != DosNone) {
                std::vector<std::string> order = {"IO       SYS", "MSDOS    SYS", "COMMAND  COM"};
                EXPECT_EQ(Order(lastListing, order), order) << lastListing;
            }
            ++block;
        }
    }
}

TEST_F(BlocksOracleTest, WholeDriveFormatLeavesSoundBootableBlocks) {
    MakeDrive(4ull * kSlotSectors + 1);
    sectors.CloseDrive();
    ImageFormatHost host(sectors, dir.WFile("drive.img"));
    ASSERT_EQ(manager.FormatDrive(host, 4, Format12M, 1, Dos71), BLK_OK);
    for (uint32_t block = 0; block < 4; ++block)
        ExpectSound(block, 2400);
    EXPECT_NE(lastListing.find("COMMAND  COM"), std::string::npos);
}

TEST_F(BlocksOracleTest, OneSectorPerClusterTwelveHundredImageIsWrittenAsOtherFormat) {
    MakeDrive(3ull * kSlotSectors + 1);
    std::string image = dir.File("mkfs12.img");
    ToolResult made = RunTool("mkfs.fat -C -s 1 -n MKFS " + ShellQuote(image) + " 1200");
    ASSERT_EQ(made.exitCode, 0) << made.output;
    WriteWholeFile(dir.File("hello.txt"), "hello from mtools\r\n");
    ToolResult copied =
        RunTool("mcopy -i " + ShellQuote(image) + " " + ShellQuote(dir.File("hello.txt")) + " ::/HELLO.TXT");
    ASSERT_EQ(copied.exitCode, 0) << copied.output;

    ASSERT_EQ(manager.WriteImageToBlock(dir.WFile("mkfs12.img"), 1, 1), BLK_OK);
    EXPECT_TRUE(frontEnd.questions.empty());  // FAT12, only of another geometry
    FloppyFormat code = Format12M;
    ASSERT_EQ(manager.LoadBlockImage(1, &code), BLK_OK);
    EXPECT_EQ(code, FormatOther);
    DiskInfo totals{};
    ASSERT_EQ(manager.DetectFloppyFormat(&totals, &code), BLK_OK);
    EXPECT_EQ(frontEnd.Cell(1, 1), CapacityText(totals.totalSectors));

    sectors.CloseDrive();
    ASSERT_TRUE(CutSlot(drivePath, 1, 2400, dir.File("cut.img")));
    FsckReport verdict = RunFsck(dir.File("cut.img"));
    EXPECT_TRUE(FsckClean(verdict)) << verdict.output;
    ToolResult listing = MdirAt(drivePath, 1);
    EXPECT_NE(listing.output.find("HELLO    TXT"), std::string::npos) << listing.output;
    AttachDrive();

    // Not one of the three formats: exported as the whole slot.
    ASSERT_EQ(manager.ExportBlockToImage(dir.WFile("back.img"), 1), BLK_OK);
    EXPECT_EQ(ReadWholeFile(dir.File("back.img")).size(), kBlockImageSize);
}

TEST_F(BlocksOracleTest, Fat16ImageAsksBeforeItIsWritten) {
    MakeDrive(2ull * kSlotSectors + 1);
    std::string image = dir.File("fat16.img");
    ToolResult made =
        RunTool("mkfs.fat -C -F 16 -s 1 " + ShellQuote(image) + " 8192 && truncate -s 1572864 " + ShellQuote(image));
    ASSERT_EQ(made.exitCode, 0) << made.output;
    frontEnd.answers = {false};
    ASSERT_EQ(manager.WriteImageToBlock(dir.WFile("fat16.img"), 1, 0), BLK_OK);
    EXPECT_EQ(frontEnd.questions, std::vector<std::wstring>{TextById(kTextImageNotFat12)});
    EXPECT_TRUE(log->writes.empty());
}

TEST_F(BlocksOracleTest, Standard144ImageFromMkfsIsRecognised) {
    MakeDrive(2ull * kSlotSectors + 1);
    std::string image = dir.File("mkfs144.img");
    ToolResult made = RunTool("mkfs.fat -C " + ShellQuote(image) + " 1440");
    ASSERT_EQ(made.exitCode, 0) << made.output;
    ASSERT_EQ(manager.WriteImageToBlock(dir.WFile("mkfs144.img"), 0, 0), BLK_OK);
    EXPECT_TRUE(frontEnd.questions.empty());
    EXPECT_EQ(frontEnd.Cell(0, 1), L"1.39 MB");
    FloppyFormat code = FormatOther;
    ASSERT_EQ(manager.LoadBlockImage(0, &code), BLK_OK);
    EXPECT_EQ(code, Format144M);
}

}  // namespace
