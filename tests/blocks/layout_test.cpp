// The drive layout as users meet it: how many blocks a drive lists, the header records a
// write leaves, and recognising and loading a block's volume.
#include <cstring>

#include "blocks/block_header.h"
#include "tests/blocks/block_drive.h"

namespace {

std::string HeaderWith(const std::string& atZero, const std::string& atEighty) {
    std::string header(kSectorSize, '\0');
    header.replace(0, atZero.size(), atZero);
    header.replace(80, atEighty.size(), atEighty);
    return header;
}

class LayoutTest : public BlockDriveTest {
protected:
    // Puts a block-0 header on the drive.
    void SetBlockZeroHeader(const std::string& header) { WriteDriveSectors(kHeaderSector, header); }
};

TEST_F(LayoutTest, BlockCountComesFromTheLastSectorNumberNotTheSectorCount) {
    MakeDrive(3 * kSlotSectors);  // last sector 9215 = 3*3072 - 1
    SetBlockZeroHeader(HeaderWith("UPDATE TIME:2026-12-05 19-49-29", ""));
    EXPECT_EQ(manager.CountBlocks(LastSector()), 2u);

    MakeDrive(3 * kSlotSectors + 1);  // last sector 9216
    SetBlockZeroHeader(HeaderWith("UPDATE TIME:2026-12-05 19-49-29", ""));
    EXPECT_EQ(manager.CountBlocks(LastSector()), 3u);
}

TEST_F(LayoutTest, MaxBlockRecordLimitsTheCountAndTheDriveSizeLimitsTheRecord) {
    MakeDrive(10 * kSlotSectors + 1);
    SetBlockZeroHeader(HeaderWith("UPDATE TIME:2026-12-05 19-49-29", "MAX BLOCK:007"));
    EXPECT_EQ(manager.CountBlocks(LastSector()), 7u);

    SetBlockZeroHeader(HeaderWith("UPDATE TIME:2026-12-05 19-49-29", "MAX BLOCK:250"));
    EXPECT_EQ(manager.CountBlocks(LastSector()), 10u);
}

TEST_F(LayoutTest, DriveWithoutEitherTagListsNoBlocks) {
    MakeDrive(10 * kSlotSectors + 1);
    EXPECT_EQ(manager.CountBlocks(LastSector()), 0u);
    // Text that only resembles the tags counts as neither.
    SetBlockZeroHeader(HeaderWith("UPDATE TIME", "MAX BLOCK 010"));
    EXPECT_EQ(manager.CountBlocks(LastSector()), 0u);
}

TEST_F(LayoutTest, OnlyAnUpdateTimeListsUpToOneHundredBlocks) {
    MakeDrive(120ull * kSlotSectors);
    SetBlockZeroHeader(HeaderWith("UPDATE TIME:2026-12-05 19-49-29", ""));
    EXPECT_EQ(manager.CountBlocks(LastSector()), 100u);
    uint32_t recorded = 0;
    ASSERT_EQ(manager.ReadMaxBlock(&recorded), BLK_OK);
    EXPECT_EQ(recorded, 100u);
}

TEST_F(LayoutTest, UnreadableHeaderListsNoBlocksAndReadMaxBlockReportsIt) {
    MakeDrive(10 * kSlotSectors + 1);
    SetBlockZeroHeader(HeaderWith("UPDATE TIME:2026-12-05 19-49-29", "MAX BLOCK:005"));
    log->failReads = true;
    EXPECT_EQ(manager.CountBlocks(LastSector()), 0u);
    uint32_t recorded = 99;
    EXPECT_EQ(manager.ReadMaxBlock(&recorded), BLK_HEADER_IO_ERROR);
    EXPECT_EQ(recorded, 0u);
}

TEST_F(LayoutTest, StampingBlockZeroKeepsTheMaxBlockRecord) {
    MakeDrive(4 * kSlotSectors + 1);
    sectors.SetBlockIndex(0);
    ASSERT_EQ(manager.WriteMaxBlock(3), BLK_OK);
    uint8_t copy[kSectorSize];
    ASSERT_EQ(manager.StampUpdateTime(copy, 0), BLK_OK);

    std::string header = DriveSectors(kHeaderSector, 1);
    EXPECT_EQ(header.substr(0, 32), std::string("UPDATE TIME:2026-12-05 19-49-29") + '\0');
    EXPECT_EQ(header.substr(80, 14), std::string("MAX BLOCK:003") + '\0');
    EXPECT_EQ(std::memcmp(copy, header.data(), kSectorSize), 0);
    EXPECT_EQ(manager.CountBlocks(LastSector()), 3u);
}

TEST_F(LayoutTest, StampingAnotherBlockLeavesOnlyTheUpdateTime) {
    MakeDrive(6 * kSlotSectors + 1);
    WriteDriveSectors(5 * kSlotSectors + kHeaderSector, std::string(kSectorSize, 'x').replace(80, 13, "MAX BLOCK:009"));
    sectors.SetBlockIndex(5);
    ASSERT_EQ(manager.StampUpdateTime(nullptr, 5), BLK_OK);

    std::string expected = std::string("UPDATE TIME:2026-12-05 19-49-29") + std::string(kSectorSize - 31, '\0');
    EXPECT_EQ(DriveSectors(5 * kSlotSectors + kHeaderSector, 1), expected);
    std::wstring renew;
    ASSERT_EQ(manager.ReadUpdateTime(&renew), BLK_OK);
    EXPECT_EQ(renew, L"2026-12-05 19-49-29");
}

TEST_F(LayoutTest, UpdateTimeTextIsEmptyWithoutTheTagAndAFailedReadIsReported) {
    MakeDrive(2 * kSlotSectors + 1);
    WriteDriveSectors(kSlotSectors + kHeaderSector, HeaderWith("UPDATED:2026", ""));
    sectors.SetBlockIndex(1);
    std::wstring renew = L"stale";
    EXPECT_EQ(manager.ReadUpdateTime(&renew), BLK_OK);
    EXPECT_EQ(renew, L"");
    log->failReads = true;
    EXPECT_EQ(manager.ReadUpdateTime(&renew), BLK_HEADER_IO_ERROR);
    sectors.SetBlockIndex(0);
    EXPECT_EQ(manager.StampUpdateTime(nullptr, 0), BLK_HEADER_IO_ERROR);
}

TEST_F(LayoutTest, FailedHeaderWriteIsReported) {
    MakeDrive(2 * kSlotSectors + 1);
    log->writesBeforeFailure = 0;
    sectors.SetBlockIndex(1);
    EXPECT_EQ(manager.StampUpdateTime(nullptr, 1), BLK_HEADER_IO_ERROR);
    EXPECT_EQ(manager.WriteMaxBlock(5), BLK_HEADER_IO_ERROR);
}

TEST_F(LayoutTest, LoadingAFormattedBlockRecognisesItAndBringsTheWholeVolume) {
    MakeDrive(3 * kSlotSectors + 1);
    ASSERT_EQ(manager.FormatBlock(2, 0, Format12M, 0, DosNone), BLK_OK);
    // Something past the first 16 sectors that only a complete load brings into the image.
    WriteDriveSectors(2 * kSlotSectors + 2399, std::string(kSectorSize, 'z'));
    std::memset(sectors.blockImage(), 0, kBlockImageSize);

    FloppyFormat code = FormatOther;
    ASSERT_EQ(manager.LoadBlockImage(2, &code), BLK_OK);
    EXPECT_EQ(code, Format12M);
    EXPECT_EQ(sectors.target, 0);  // image mode left selected
    EXPECT_EQ(sectors.blockImage()[2399 * kSectorSize], 'z');
    EXPECT_EQ(sectors.blockImage()[2400 * kSectorSize], 0);  // nothing beyond the volume
}

TEST_F(LayoutTest, LoadingAnUnformattedBlockGivesTheEngineStatus) {
    MakeDrive(2 * kSlotSectors + 1);
    FloppyFormat code = Format144M;
    int status = manager.LoadBlockImage(1, &code);
    EXPECT_NE(status, BLK_OK);
    EXPECT_NE(status, BLK_WIN_ERROR);
    EXPECT_EQ(code, FormatOther);
}

TEST_F(LayoutTest, ReadFailureAfterRecognitionIsASystemError) {
    MakeDrive(2 * kSlotSectors + 1);
    ASSERT_EQ(manager.FormatBlock(1, 0, Format720K, 0, DosNone), BLK_OK);
    // The drive ends inside the block's volume: the first 16 sectors read, the rest cannot.
    ResizeDrive(kSlotSectors + 100);
    FloppyFormat code;
    EXPECT_EQ(manager.LoadBlockImage(1, &code), BLK_WIN_ERROR);
}

TEST_F(LayoutTest, OneSectorPerClusterTwelveHundredVolumeIsOtherFormat) {
    MakeDrive(kSlotSectors + 1);
    sectors.UseImageMode();
    manager.BuildEmptyVolume(Format12M, 0, DosNone);
    sectors.blockImage()[13] = 1;  // sectors per cluster: 2371 clusters instead of 1185
    DiskInfo totals{};
    FloppyFormat code = Format12M;
    ASSERT_EQ(manager.DetectFloppyFormat(&totals, &code), BLK_OK);
    EXPECT_EQ(totals.totalSectors, 2371u);
    EXPECT_EQ(code, FormatOther);
    EXPECT_EQ(VolumeSectors(code), kSlotSectors);
}

}  // namespace
