#include "disk/sector_access.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "disk/image_drive.h"
#include "disk/system_error.h"
#include "support/temp_dir.h"

namespace {

// A drive image whose every sector starts with its own drive sector number.
std::string NumberedImage(uint32_t sectors) {
    std::string bytes(static_cast<size_t>(sectors) * kSectorSize, '\0');
    for (uint32_t s = 0; s < sectors; ++s) std::memcpy(&bytes[static_cast<size_t>(s) * kSectorSize], &s, 4);
    return bytes;
}

uint32_t FirstWord(const uint8_t* sector) {
    uint32_t v;
    std::memcpy(&v, sector, 4);
    return v;
}

class SectorAccessTest : public ::testing::Test {
protected:
    TempDir dir;
    SectorAccess sectors;

    void AttachImage(uint32_t driveSectors) {
        WriteWholeFile(dir.File("drive.img"), NumberedImage(driveSectors));
        auto drive = ImageDrive::Open(dir.WFile("drive.img"));
        ASSERT_NE(drive, nullptr);
        sectors.AttachDrive(std::move(drive));
    }
};

TEST_F(SectorAccessTest, DriveModeAddressesTheCurrentBlockSlot) {
    AttachImage(3 * kSlotSectors);
    EXPECT_EQ(sectors.target, 1);  // opening a drive selects drive mode
    sectors.SetBlockIndex(2);
    uint8_t buffer[2 * kSectorSize];
    ASSERT_EQ(sectors.ReadSectors(0, 2, buffer), 0);
    // Block-relative sector 0 of block 2 is drive bytes 3,145,728 to 3,146,239.
    EXPECT_EQ(FirstWord(buffer), 3145728u / kSectorSize);
    EXPECT_EQ(FirstWord(buffer + kSectorSize), 2 * kSlotSectors + 1);
}

TEST_F(SectorAccessTest, DriveModeWritesLandAtTheSlotOffsetAndReachTheFileOnClose) {
    AttachImage(2 * kSlotSectors);
    sectors.SetBlockIndex(1);
    std::vector<uint8_t> data(kSectorSize, 0xA5);
    ASSERT_EQ(sectors.WriteSectors(3071, 1, data.data()), 0);
    sectors.CloseDrive();
    std::string image = ReadWholeFile(dir.File("drive.img"));
    size_t header = (static_cast<size_t>(kSlotSectors) + 3071) * kSectorSize;
    EXPECT_EQ(static_cast<uint8_t>(image[header]), 0xA5);
    EXPECT_EQ(static_cast<uint8_t>(image[header + 511]), 0xA5);
    EXPECT_EQ(FirstWord(reinterpret_cast<const uint8_t*>(&image[header - kSectorSize])), kSlotSectors + 3070);
}

TEST_F(SectorAccessTest, ShortTransferIsAFailure) {
    // The drive ends inside block 1: a read that reaches past its end moves fewer bytes.
    AttachImage(kSlotSectors + 10);
    sectors.SetBlockIndex(1);
    uint8_t buffer[20 * kSectorSize];
    EXPECT_EQ(sectors.ReadSectors(0, 10, buffer), 0);
    EXPECT_EQ(sectors.ReadSectors(5, 10, buffer), 1);
    EXPECT_EQ(sectors.ReadSectors(3071, 1, buffer), 1);
}

TEST_F(SectorAccessTest, DriveModeWithoutADriveFails) {
    uint8_t buffer[kSectorSize];
    sectors.UseDriveMode();
    EXPECT_EQ(sectors.ReadSectors(0, 1, buffer), 1);
    EXPECT_EQ(sectors.WriteSectors(0, 1, buffer), 1);
}

TEST_F(SectorAccessTest, ImageModeIgnoresTheBlockAndNeverFails) {
    sectors.UseImageMode();
    sectors.SetBlockIndex(57);
    std::vector<uint8_t> data(3 * kSectorSize);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
    ASSERT_EQ(sectors.WriteSectors(3069, 3, data.data()), 0);
    EXPECT_EQ(std::memcmp(sectors.blockImage() + 3069 * kSectorSize, data.data(), data.size()), 0);
    std::vector<uint8_t> back(3 * kSectorSize);
    ASSERT_EQ(sectors.ReadSectors(3069, 3, back.data()), 0);
    EXPECT_EQ(back, data);
}

TEST_F(SectorAccessTest, LoadImageFileAcceptsExactlyOneSlot) {
    std::string full(kBlockImageSize, '\x5A');
    WriteWholeFile(dir.File("full.img"), full);
    uint32_t size = 1;
    ASSERT_EQ(sectors.LoadImageFile(dir.WFile("full.img"), &size), 0);
    EXPECT_EQ(size, kBlockImageSize);
    EXPECT_EQ(sectors.blockImage()[kBlockImageSize - 1], 0x5A);
}

TEST_F(SectorAccessTest, LoadImageFileRefusesOneByteMoreWithoutReading) {
    std::memset(sectors.blockImage(), 0x11, kBlockImageSize);
    WriteWholeFile(dir.File("big.img"), std::string(kBlockImageSize + 1, '\x22'));
    uint32_t size = 1;
    EXPECT_EQ(sectors.LoadImageFile(dir.WFile("big.img"), &size), 257);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(sectors.blockImage()[0], 0x11);
}

TEST_F(SectorAccessTest, LoadImageFileRoundsTheSizeUpAndZeroFillsTheRest) {
    std::memset(sectors.blockImage(), 0x11, kBlockImageSize);
    WriteWholeFile(dir.File("small.img"), std::string(1000, '\x33'));
    uint32_t size = 0;
    ASSERT_EQ(sectors.LoadImageFile(dir.WFile("small.img"), &size), 0);
    EXPECT_EQ(size, 1024u);
    EXPECT_EQ(sectors.blockImage()[999], 0x33);
    EXPECT_EQ(sectors.blockImage()[1000], 0);
    EXPECT_EQ(sectors.blockImage()[kBlockImageSize - 1], 0);
}

TEST_F(SectorAccessTest, LoadImageFileOfAMissingFileKeepsTheSystemError) {
    SetLastSystemError(0);
    uint32_t size = 7;
    EXPECT_EQ(sectors.LoadImageFile(dir.WFile("missing.img"), &size), -1);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(LastSystemError(), 2u);  // ENOENT and ERROR_FILE_NOT_FOUND are both 2
    EXPECT_FALSE(SystemErrorText(LastSystemError()).empty());
}

}  // namespace
