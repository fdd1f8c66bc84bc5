// The block list: rows for every block of a drive with capacity, used share and renew time,
// rebuilt or rewritten in place, and the texts of the figures.
#include "blocks/block_header.h"
#include "blocks/usage_text.h"
#include "fatfs/byte_order.h"
#include "tests/blocks/block_drive.h"

namespace {

class ListTest : public BlockDriveTest {
protected:
    void SetUp() override { MakeDrive(6 * kSlotSectors + 1); }

    // Formats blocks 0 to 2 as 1.44M, 1.2M and 720K and records a count of `count` blocks.
    void FormatThree(uint32_t count) {
        ASSERT_EQ(manager.FormatBlock(0, 0, Format144M, 1, DosNone), BLK_OK);
        ASSERT_EQ(manager.FormatBlock(1, 1, Format12M, 1, DosNone), BLK_OK);
        ASSERT_EQ(manager.FormatBlock(2, 2, Format720K, 1, DosNone), BLK_OK);
        sectors.UseDriveMode();
        sectors.SetBlockIndex(0);
        ASSERT_EQ(manager.WriteMaxBlock(count), BLK_OK);
        frontEnd = FakeFrontEnd();
    }
};

TEST_F(ListTest, RebuildShowsEveryBlockWithItsFigures) {
    FormatThree(4);
    ASSERT_EQ(manager.EnumerateBlocks(LastSector(), 0), BLK_OK);
    EXPECT_EQ(frontEnd.deleteAllCount, 1);
    ASSERT_EQ(frontEnd.rows.size(), 4u);
    const wchar_t* serials[] = {L"000", L"001", L"002", L"003"};
    const wchar_t* capacities[] = {L"1.39 MB", L"1.16 MB", L"713.0 KB", L"n/a"};
    const wchar_t* used[] = {L"0%", L"0%", L"0%", L"n/a"};
    const wchar_t* renew[] = {L"2026-12-05 19-49-29", L"2026-12-05 19-49-29", L"2026-12-05 19-49-29", L""};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(frontEnd.Cell(i, 0), serials[i]);
        EXPECT_EQ(frontEnd.Cell(i, 1), capacities[i]);
        EXPECT_EQ(frontEnd.Cell(i, 2), used[i]);
        EXPECT_EQ(frontEnd.Cell(i, 3), renew[i]);
    }
    std::vector<std::wstring> status = {L"Enumerate floppy disk block: 0", L"Enumerate floppy disk block: 1",
                                        L"Enumerate floppy disk block: 2", L"Enumerate floppy disk block: 3"};
    EXPECT_EQ(frontEnd.statusTexts, status);
    EXPECT_EQ(frontEnd.autoArrange, (std::vector<bool>{false, true}));
}

TEST_F(ListTest, NeverFormattedBlockWithAStampShowsItsRenewTime) {
    FormatThree(4);
    sectors.SetBlockIndex(3);
    LocalTime other = TestTime();
    other.year = 2025;
    FixLocalTime(other);
    ASSERT_EQ(manager.StampUpdateTime(nullptr, 3), BLK_OK);
    ASSERT_EQ(manager.EnumerateBlocks(LastSector(), 0), BLK_OK);
    EXPECT_EQ(frontEnd.Cell(3, 1), L"n/a");
    EXPECT_EQ(frontEnd.Cell(3, 2), L"n/a");
    EXPECT_EQ(frontEnd.Cell(3, 3), L"2025-12-05 19-49-29");
}

TEST_F(ListTest, UpdateInPlaceKeepsTheRowsAndRewritesTheirTexts) {
    FormatThree(3);
    ASSERT_EQ(manager.EnumerateBlocks(LastSector(), 0), BLK_OK);
    ASSERT_EQ(manager.FormatBlock(1, 1, Format720K, 1, DosNone), BLK_OK);
    int inserts = frontEnd.insertCount;
    ASSERT_EQ(manager.EnumerateBlocks(LastSector(), 1), BLK_OK);
    EXPECT_EQ(frontEnd.deleteAllCount, 1);
    EXPECT_EQ(frontEnd.insertCount, inserts);
    ASSERT_EQ(frontEnd.rows.size(), 3u);
    EXPECT_EQ(frontEnd.Cell(1, 0), L"001");
    EXPECT_EQ(frontEnd.Cell(1, 1), L"713.0 KB");
}

TEST_F(ListTest, DriveWithoutTagsGivesAnEmptyList) {
    frontEnd.rows.resize(2);  // rows of a drive listed before
    ASSERT_EQ(manager.EnumerateBlocks(LastSector(), 0), BLK_OK);
    EXPECT_TRUE(frontEnd.rows.empty());
    EXPECT_TRUE(frontEnd.statusTexts.empty());
}

TEST_F(ListTest, BlockHoldingAFat16VolumeShowsNotAvailable) {
    FormatThree(2);
    // A FAT16 boot sector: 20000 one-sector clusters are too many for FAT12.
    std::string boot(kSectorSize, '\0');
    uint8_t* b = reinterpret_cast<uint8_t*>(&boot[0]);
    b[0] = 0xEB, b[1] = 0x3C, b[2] = 0x90;
    Store16(b + 11, 512);
    b[13] = 1;
    Store16(b + 14, 1);
    b[16] = 2;
    Store16(b + 17, 512);
    Store32(b + 32, 20480);
    b[21] = 0xF8;
    Store16(b + 22, 80);
    b[510] = 0x55, b[511] = 0xAA;
    WriteDriveSectors(kSlotSectors, boot);
    ASSERT_EQ(manager.EnumerateBlocks(LastSector(), 0), BLK_OK);
    EXPECT_EQ(frontEnd.Cell(1, 1), L"n/a");
    EXPECT_EQ(frontEnd.Cell(1, 2), L"n/a");
    EXPECT_EQ(frontEnd.Cell(1, 3), L"2026-12-05 19-49-29");
}

TEST_F(ListTest, RefreshOfOneRowAfterAWrite) {
    FormatThree(3);
    ASSERT_EQ(manager.FormatBlock(2, 7, Format144M, 0, Dos71), BLK_OK);
    EXPECT_EQ(frontEnd.Cell(7, 1), L"1.39 MB");
    EXPECT_NE(frontEnd.Cell(7, 2), L"0%");
    EXPECT_EQ(frontEnd.Cell(7, 3), L"2026-12-05 19-49-29");
    // Only the three figures of that row are written.
    for (const auto& write : frontEnd.cellWrites) {
        EXPECT_EQ(write.row, 7);
        EXPECT_NE(write.column, 0);
    }
}

TEST(UsageText, CapacityChangesUnitAboveOneMebibyte) {
    EXPECT_EQ(CapacityText(2048), L"1024.0 KB");
    EXPECT_EQ(CapacityText(2049), L"1.00 MB");
    EXPECT_EQ(CapacityText(1426), L"713.0 KB");
    EXPECT_EQ(CapacityText(2371), L"1.16 MB");
}

TEST(UsageText, UsedShareIsRoundedToWholePercent) {
    EXPECT_EQ(UsedText(2847, 2847), L"0%");
    EXPECT_EQ(UsedText(2847, 0), L"100%");
    EXPECT_EQ(UsedText(1000, 550), L"45%");
    EXPECT_EQ(UsedText(1000, 4), L"100%");
    EXPECT_EQ(UsedText(0, 0), L"n/a");
}

}  // namespace
