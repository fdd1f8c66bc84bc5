// Image files: writing an image into a block (with the question for one that is not FAT12)
// and exporting a block, as many sectors as its format has.
#include <cstring>
#include <filesystem>

#include "app/texts.h"
#include "blocks/block_header.h"
#include "support/test_bytes.h"
#include "tests/blocks/block_drive.h"

namespace {

class ImagesTest : public BlockDriveTest {
protected:
    void SetUp() override { MakeDrive(4 * kSlotSectors + 1); }

    // An image file of a freshly built volume of format, labelled with labelIndex.
    std::string VolumeImage(FloppyFormat format, uint32_t labelIndex) {
        sectors.UseImageMode();
        manager.BuildEmptyVolume(format, labelIndex, DosNone);
        std::string bytes(reinterpret_cast<const char*>(sectors.blockImage()), VolumeSectors(format) * kSectorSize);
        sectors.UseDriveMode();
        return bytes;
    }

    std::wstring Put(const std::string& name, const std::string& bytes) {
        WriteWholeFile(dir.File(name), bytes);
        return dir.WFile(name);
    }
};

TEST_F(ImagesTest, FloppyImageIsWrittenWholeAndListed) {
    std::wstring path = Put("disk.img", VolumeImage(Format144M, 9));
    ASSERT_EQ(manager.WriteImageToBlock(path, 2, 5), BLK_OK);
    std::vector<Transfer> expected = {{2 * kSlotSectors, 2880}, {2 * kSlotSectors + kHeaderSector, 1}};
    EXPECT_EQ(log->writes, expected);
    EXPECT_TRUE(frontEnd.questions.empty());
    EXPECT_EQ(Slot(2, 2880), ReadWholeFile(dir.File("disk.img")));
    EXPECT_EQ(frontEnd.Cell(5, 1), L"1.39 MB");
    EXPECT_EQ(frontEnd.Cell(5, 2), L"0%");
    EXPECT_EQ(frontEnd.Cell(5, 3), L"2026-12-05 19-49-29");
}

TEST_F(ImagesTest, ImageOfExactlyOneSlotIsAcceptedAndItsHeaderRestamped) {
    std::string slot = TestBytes(kBlockImageSize, 1);
    frontEnd.answers = {true};
    ASSERT_EQ(manager.WriteImageToBlock(Put("slot.img", slot), 1, 0), BLK_OK);
    ASSERT_EQ(frontEnd.questions.size(), 1u);
    std::string written = Slot(1);
    EXPECT_EQ(written.substr(0, kHeaderSector * kSectorSize), slot.substr(0, kHeaderSector * kSectorSize));
    EXPECT_EQ(written.substr(kHeaderSector * kSectorSize, 31), "UPDATE TIME:2026-12-05 19-49-29");
    EXPECT_EQ(frontEnd.Cell(0, 1), L"n/a");
    EXPECT_EQ(frontEnd.Cell(0, 2), L"n/a");
}

TEST_F(ImagesTest, ImageLargerThanASlotIsRefusedUnread) {
    EXPECT_EQ(manager.WriteImageToBlock(Put("big.img", TestBytes(kBlockImageSize + 1, 1)), 1, 0), BLK_IMAGE_TOO_LARGE);
    EXPECT_TRUE(log->writes.empty());
    EXPECT_TRUE(frontEnd.questions.empty());
}

TEST_F(ImagesTest, ImageThatIsNotFat12AsksThenWritesNothingOnNoAndIsPaddedOnYes) {
    std::string bytes = TestBytes(1000, 1);
    std::wstring path = Put("small.img", bytes);
    frontEnd.answers = {false, true};
    EXPECT_EQ(manager.WriteImageToBlock(path, 1, 0), BLK_OK);
    ASSERT_EQ(frontEnd.questions.size(), 1u);
    EXPECT_EQ(frontEnd.questions[0], L"The format of image file is not FAT12 \n write or not?");
    EXPECT_TRUE(log->writes.empty());
    EXPECT_TRUE(frontEnd.cellWrites.empty());

    ASSERT_EQ(manager.WriteImageToBlock(path, 1, 0), BLK_OK);
    EXPECT_EQ(frontEnd.questions.size(), 2u);
    EXPECT_EQ(log->writes.front(), (Transfer{kSlotSectors, 2}));
    EXPECT_EQ(Slot(1, 2), bytes + std::string(24, '\0'));
}

TEST_F(ImagesTest, MissingImageIsASystemError) {
    EXPECT_EQ(manager.WriteImageToBlock(dir.WFile("absent.img"), 1, 0), BLK_WIN_ERROR);
    EXPECT_TRUE(log->writes.empty());
}

TEST_F(ImagesTest, ExportWritesAsManySectorsAsTheFormatHas) {
    uint32_t block = 0;
    for (const FormatSectors& c : kFormatSectors) {
        ASSERT_EQ(manager.FormatBlock(block, 0, c.format, 0, DosNone), BLK_OK);
        std::string name = "export" + std::to_string(block) + ".img";
        ASSERT_EQ(manager.ExportBlockToImage(dir.WFile(name), block), BLK_OK);
        std::string exported = ReadWholeFile(dir.File(name));
        EXPECT_EQ(exported.size(), c.sectors * kSectorSize);
        EXPECT_EQ(exported, Slot(block, c.sectors));
        ++block;
    }
    // Unformatted: the whole slot, header included.
    WriteDriveSectors(3 * kSlotSectors + kHeaderSector, std::string(kSectorSize, 'h'));
    ASSERT_EQ(manager.ExportBlockToImage(dir.WFile("raw.img"), 3), BLK_OK);
    EXPECT_EQ(ReadWholeFile(dir.File("raw.img")), Slot(3));
    // Exporting changes nothing on the drive.
    EXPECT_EQ(log->writes.size(), 6u);
}

TEST_F(ImagesTest, ExportedSevenTwentyBlockWritesBackIntoAnotherBlock) {
    ASSERT_EQ(manager.FormatBlock(0, 0, Format720K, 0, Dos71), BLK_OK);
    ASSERT_EQ(manager.ExportBlockToImage(dir.WFile("a.img"), 0), BLK_OK);
    ASSERT_EQ(manager.WriteImageToBlock(dir.WFile("a.img"), 3, 3), BLK_OK);
    EXPECT_EQ(Slot(3, 1440), Slot(0, 1440));
    EXPECT_EQ(frontEnd.Cell(3, 1), L"713.0 KB");
    EXPECT_TRUE(frontEnd.questions.empty());
}

TEST_F(ImagesTest, FailedExportRemovesItsFile) {
    ASSERT_EQ(manager.FormatBlock(1, 0, Format144M, 0, DosNone), BLK_OK);
    WriteWholeFile(dir.File("old.img"), "an older export");
    log->failReads = true;
    EXPECT_EQ(manager.ExportBlockToImage(dir.WFile("old.img"), 1), BLK_WIN_ERROR);
    EXPECT_FALSE(std::filesystem::exists(dir.File("old.img")));
}

TEST_F(ImagesTest, ExportToAFolderThatDoesNotExistFailsWithoutReadingTheBlock) {
    log->reads.clear();
    EXPECT_EQ(manager.ExportBlockToImage(dir.WFile("no/such/folder/x.img"), 1), BLK_WIN_ERROR);
    EXPECT_TRUE(log->reads.empty());
}

}  // namespace
