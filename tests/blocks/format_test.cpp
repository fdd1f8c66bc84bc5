// Formatting one block: what reaches the drive for quick, full and bootable formats of the
// three floppy formats, the volume the block then holds, and its refreshed list row.
#include <cstring>

#include "blocks/block_header.h"
#include "fatfs/byte_order.h"
#include "tests/blocks/block_drive.h"

namespace {

struct FormatCase {
    FloppyFormat format;
    uint32_t volumeSectors;
    uint32_t systemSectors;
    uint32_t dataSectors;
    const wchar_t* capacity;
};

const FormatCase kCases[] = {
    {Format144M, 2880, 33, 2847, L"1.39 MB"},
    {Format12M, 2400, 29, 2370, L"1.16 MB"},
    {Format720K, 1440, 14, 1426, L"713.0 KB"},
};

class FormatTest : public BlockDriveTest {
protected:
    void SetUp() override { MakeDrive(4 * kSlotSectors + 1); }

    // Fills a block's slot with a byte that no format writes.
    void Soil(uint32_t block) { WriteDriveSectors(block * kSlotSectors, std::string(kBlockImageSize, '\x5A')); }
};

TEST_F(FormatTest, QuickSevenTwentyOnBlockThreeWritesItsSystemAreaAndHeaderOnly) {
    ASSERT_EQ(manager.FormatBlock(3, 0, Format720K, 1, DosNone), BLK_OK);
    std::vector<Transfer> expected = {{9216, 14}, {9216 + 3071, 1}};
    EXPECT_EQ(log->writes, expected);
}

TEST_F(FormatTest, EachFormatIsRecognisedEmptyAndListedAfterAFullFormat) {
    uint32_t block = 0;
    for (const FormatCase& c : kCases) {
        SCOPED_TRACE(c.volumeSectors);
        log->writes.clear();
        ASSERT_EQ(manager.FormatBlock(block, static_cast<int>(block), c.format, 0, DosNone), BLK_OK);
        std::vector<Transfer> expected = {{block * kSlotSectors, c.volumeSectors},
                                          {block * kSlotSectors + kHeaderSector, 1}};
        EXPECT_EQ(log->writes, expected);

        FloppyFormat code = FormatOther;
        ASSERT_EQ(manager.LoadBlockImage(block, &code), BLK_OK);
        EXPECT_EQ(code, c.format);
        DiskInfo totals{};
        ASSERT_EQ(manager.DetectFloppyFormat(&totals, &code), BLK_OK);
        EXPECT_EQ(totals.totalSectors, c.dataSectors);
        EXPECT_EQ(totals.freeSectors, c.dataSectors);

        EXPECT_EQ(frontEnd.Cell(static_cast<int>(block), 1), c.capacity);
        EXPECT_EQ(frontEnd.Cell(static_cast<int>(block), 2), L"0%");
        EXPECT_EQ(frontEnd.Cell(static_cast<int>(block), 3), L"2026-12-05 19-49-29");
        ++block;
    }
}

TEST_F(FormatTest, FullFormatFillsTheDataAreaAndClearsTheLastSector) {
    for (const FormatCase& c : kCases) {
        SCOPED_TRACE(c.volumeSectors);
        Soil(1);
        ASSERT_EQ(manager.FormatBlock(1, 0, c.format, 0, DosNone), BLK_OK);
        std::string slot = Slot(1);
        uint32_t dataBytes = (c.volumeSectors - 1 - c.systemSectors) * kSectorSize;
        EXPECT_EQ(slot.substr(c.systemSectors * kSectorSize, dataBytes), std::string(dataBytes, '\xF6'));
        EXPECT_EQ(slot.substr((c.volumeSectors - 1) * kSectorSize, kSectorSize), std::string(kSectorSize, '\0'));
        // Past the volume, up to the header, the slot is never touched.
        uint32_t rest = (kHeaderSector - c.volumeSectors) * kSectorSize;
        EXPECT_EQ(slot.substr(c.volumeSectors * kSectorSize, rest), std::string(rest, '\x5A'));
    }
}

TEST_F(FormatTest, QuickFormatLeavesTheOldDataAreaBehindButFree) {
    Soil(2);
    ASSERT_EQ(manager.FormatBlock(2, 0, Format144M, 1, DosNone), BLK_OK);
    std::string slot = Slot(2);
    EXPECT_EQ(slot.substr(33 * kSectorSize, kSectorSize), std::string(kSectorSize, '\x5A'));
    EXPECT_EQ(frontEnd.Cell(0, 2), L"0%");
}

TEST_F(FormatTest, BootableFormatIsWrittenWholeEvenWhenQuick) {
    ASSERT_EQ(manager.FormatBlock(1, 0, Format144M, 1, Dos622), BLK_OK);
    ASSERT_FALSE(log->writes.empty());
    EXPECT_EQ(log->writes.front(), (Transfer{kSlotSectors, 2880}));
}

TEST_F(FormatTest, LabelIsInTheBootSectorAndTheFirstRootEntry) {
    ASSERT_EQ(manager.FormatBlock(0, 0, Format144M, 1, DosNone), BLK_OK);
    std::string boot = Slot(0, 1);
    EXPECT_EQ(boot.substr(43, 11), "FLPPY0     ");
    EXPECT_EQ(boot.substr(54, 8), "FAT12   ");
    std::string root = DriveSectors(19, 1);
    EXPECT_EQ(root.substr(0, 11), "FLPPY0     ");
    EXPECT_EQ(root[11], '\x08');

    ASSERT_EQ(manager.FormatBlock(3, 0, Format720K, 1, DosNone), BLK_OK);
    EXPECT_EQ(Slot(3, 1).substr(43, 11), "FLPPY3     ");
    // The label entry carries the time of formatting in all its dates and times.
    std::string entry = DriveSectors(3 * kSlotSectors + 7, 1).substr(0, 32);
    const uint8_t* e = reinterpret_cast<const uint8_t*>(entry.data());
    uint16_t date = DosDateOf(TestTime());
    uint16_t time = DosTimeOf(TestTime());
    EXPECT_EQ(Load16(e + 14), time);
    EXPECT_EQ(Load16(e + 16), date);
    EXPECT_EQ(Load16(e + 18), date);
    EXPECT_EQ(Load16(e + 22), time);
    EXPECT_EQ(Load16(e + 24), date);
    EXPECT_EQ(entry.substr(32 - 6), std::string(6, '\0'));  // no cluster, size 0
}

TEST_F(FormatTest, SerialNumberFollowsTheClock) {
    ASSERT_EQ(manager.FormatBlock(0, 0, Format144M, 1, DosNone), BLK_OK);
    uint32_t first = Load32(reinterpret_cast<const uint8_t*>(Slot(0, 1).data()) + 39);
    EXPECT_EQ(first >> 16, DosDateOf(TestTime()));
    LocalTime later = TestTime();
    later.milliseconds = 501;
    FixLocalTime(later);
    ASSERT_EQ(manager.FormatBlock(0, 0, Format144M, 1, DosNone), BLK_OK);
    uint32_t second = Load32(reinterpret_cast<const uint8_t*>(Slot(0, 1).data()) + 39);
    EXPECT_NE(first, second);
}

TEST_F(FormatTest, DriveWriteFailureIsASystemErrorAndLeavesTheHeaderAlone) {
    log->writesBeforeFailure = 0;
    EXPECT_EQ(manager.FormatBlock(1, 0, Format144M, 0, DosNone), BLK_WIN_ERROR);
    EXPECT_EQ(Slot(1), std::string(kBlockImageSize, '\0'));
    EXPECT_TRUE(frontEnd.cellWrites.empty());
}

}  // namespace
