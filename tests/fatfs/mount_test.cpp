// Mounting: partition tables, the FAT type thresholds, FAT16 and FAT32 volumes, retried
// transfers, and every operation before a mount.
#include <algorithm>
#include <cstring>

#include "engine_fixture.h"

namespace {

class MountTest : public EngineTest {};

TEST_F(MountTest, ClusterCountOf4084IsFat12And4085IsFat16) {
    PutBootSector(image(), 1, 1, 2, 0, 1 + 2 * 12 + 4084, 12);
    ASSERT_EQ(engine.fsMount(), FS_OK);
    EXPECT_EQ(engine.fatType(), 1);
    PutBootSector(image(), 1, 1, 2, 0, 1 + 2 * 12 + 4085, 12);
    ASSERT_EQ(engine.fsMount(), FS_OK);
    EXPECT_EQ(engine.fatType(), 2);
}

TEST_F(MountTest, AllZeroFirstSectorIsAPartitionTableWithoutVolume) {
    std::memset(image(), 0, 512);
    EXPECT_EQ(engine.fsMount(), FS_NO_VOLUME);
    EXPECT_EQ(engine.fatType(), 0);
}

TEST_F(MountTest, BootIndicatorOtherThan80Or00IsBadPartition) {
    std::memset(image(), 0, 512);
    image()[446] = 0x01;
    EXPECT_EQ(engine.fsMount(), FS_BAD_PARTITION);
}

TEST_F(MountTest, MediaByteBelowF0MakesTheSectorAPartitionTable) {
    BuildFloppy(image(), Floppy::k144);
    image()[21] = 0xEF;
    image()[446] = 0x55;  // boot code bytes where a partition table would have its indicator
    EXPECT_EQ(engine.fsMount(), FS_BAD_PARTITION);
}

TEST_F(MountTest, PartitionTableLeadsToTheVolumeAtItsStart) {
    std::vector<uint8_t> volume(1440 * 512);
    std::vector<uint8_t> scratch(3072 * 512);
    BuildFloppy(scratch.data(), Floppy::k720);
    std::memcpy(volume.data(), scratch.data(), volume.size());
    std::memset(image(), 0, 3072 * 512);
    std::memcpy(image() + 100 * 512, volume.data(), volume.size());
    image()[446] = 0x80;
    PutLe32(image() + 454, 100);
    ASSERT_EQ(engine.fsMount(), FS_OK);
    EXPECT_EQ(engine.volume().fatStart, 101u);
    EXPECT_EQ(engine.volume().dataStart, 114u);
    layout = LayoutOf(Floppy::k720);
    std::string data = Pattern(3000, 1), back;
    ASSERT_EQ(WriteFile("\\INSIDE.BIN", data), FS_OK);
    ASSERT_EQ(ReadFile("\\INSIDE.BIN", &back), FS_OK);
    EXPECT_EQ(back, data);
    // The FAT of the partition's volume, not of sector 1, holds the chain.
    EXPECT_EQ(RawChain(image() + 100 * 512, layout, 2), (std::vector<uint32_t>{2, 3, 4}));  // 1 KiB clusters
    EXPECT_EQ(Fat12Entry(image() + 100 * 512, layout, 4), 0xFFFu);
    EXPECT_EQ(Le32(image() + 512), 0u);
}

TEST_F(MountTest, FailedMountLeavesNoVolume) {
    Format(Floppy::k144);
    image()[13] = 0;  // sectors per cluster
    EXPECT_EQ(engine.fsMount(), FS_NO_VOLUME);
    DiskInfo info{};
    EXPECT_EQ(engine.fsDiskQuery(&info), FS_NO_VOLUME);
    EXPECT_EQ(engine.fsOpen("\\", nullptr), FS_NO_VOLUME);
}

TEST_F(MountTest, EveryOperationNeedsAVolume) {
    uint8_t buffer[16];
    uint32_t count = sizeof(buffer);
    FileInfo info{};
    DiskInfo disk{};
    EXPECT_EQ(engine.fsDiskQuery(&disk), FS_NO_VOLUME);
    EXPECT_EQ(engine.fsOpen("\\A", u"\\A"), FS_NO_VOLUME);
    EXPECT_EQ(engine.fsReadBytes(buffer, &count), FS_NO_VOLUME);
    EXPECT_EQ(engine.fsCreate("\\A", 0), FS_NO_VOLUME);
    EXPECT_EQ(engine.fsCreateDir("\\A"), FS_NO_VOLUME);
    EXPECT_EQ(engine.fsWriteBytes(buffer, &count), FS_NO_VOLUME);
    EXPECT_EQ(engine.fsFileInfo(&info, kInfoRead), FS_NO_VOLUME);
    EXPECT_EQ(engine.fsClose(), FS_NO_VOLUME);
    EXPECT_EQ(engine.fsErase("\\A"), FS_NO_VOLUME);
}

TEST_F(MountTest, MountingAgainDropsTheOpenFile) {
    Format(Floppy::k144);
    ASSERT_EQ(engine.fsCreate("\\A.TXT", 0), FS_OK);
    ASSERT_EQ(engine.fsMount(), FS_OK);
    EXPECT_EQ(engine.fsClose(), FS_NOT_OPEN);
}

// FAT16: 5000 clusters of one sector, 512 root entries; data from sector 73.
void BuildFat16(uint8_t* image) {
    std::memset(image, 0, 3072 * 512);
    PutBootSector(image, 1, 1, 2, 512, 1 + 40 + 32 + 5000, 20);
    for (uint32_t fat : {1u, 21u}) {
        PutLe16(image + fat * 512, 0xFFF8);
        PutLe16(image + fat * 512 + 2, 0xFFFF);
    }
}

TEST_F(MountTest, Fat16VolumeStoresChainsInSixteenBitEntries) {
    BuildFat16(image());
    ASSERT_EQ(engine.fsMount(), FS_OK);
    EXPECT_EQ(engine.fatType(), 2);
    EXPECT_EQ(engine.volume().dataStart, 73u);
    EXPECT_EQ(FreeSectors(), 5000u);
    std::string data = Pattern(3 * 512 + 7, 2), back;
    ASSERT_EQ(WriteFile("\\SIXTEEN.BIN", data), FS_OK);
    ASSERT_EQ(ReadFile("\\SIXTEEN.BIN", &back), FS_OK);
    EXPECT_EQ(back, data);
    EXPECT_EQ(Le16(image() + 512 + 4), 3);  // 2 -> 3 -> 4 -> 5 -> end
    EXPECT_EQ(Le16(image() + 512 + 10), 0xFFFF);
    EXPECT_EQ(Le16(image() + 21 * 512 + 4), 3);  // second copy
    EXPECT_EQ(FreeSectors(), 4996u);
    ASSERT_EQ(engine.fsErase("\\SIXTEEN.BIN"), FS_OK);
    EXPECT_EQ(FreeSectors(), 5000u);
}

// FAT32: 70000 clusters of one sector, one FAT of 547 sectors, root in cluster 2, information
// sector 1; the data of clusters up to 2494 lies inside the slot.
void BuildFat32(uint8_t* image) {
    std::memset(image, 0, 3072 * 512);
    PutBootSector(image, 1, 32, 1, 0, 32 + 547 + 70000, 0);
    PutLe32(image + 36, 547);  // a FAT32 FAT size has only the 32-bit field
    PutLe32(image + 44, 2);
    PutLe16(image + 48, 1);
    PutLe32(image + 512 + 488, 69999);
    PutLe32(image + 512 + 492, 3);
    PutLe32(image + 32 * 512, 0x0FFFFFF8);
    PutLe32(image + 32 * 512 + 4, 0x0FFFFFFF);
    PutLe32(image + 32 * 512 + 8, 0x0FFFFFFF);  // the root's one cluster
}

TEST_F(MountTest, Fat32RootIsAChainAndTheInformationSectorKeepsTheCount) {
    BuildFat32(image());
    ASSERT_EQ(engine.fsMount(), FS_OK);
    EXPECT_EQ(engine.fatType(), 3);
    EXPECT_EQ(engine.volume().rootStart, 2u);
    EXPECT_EQ(engine.volume().dataStart, 579u);
    EXPECT_EQ(FreeSectors(), 69999u);
    // 20 entries outgrow the root's one cluster of 16.
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(WriteFile("\\F" + std::to_string(i) + ".TXT", Pattern(600, i)), FS_OK) << i;
    }
    EXPECT_EQ(List("\\*", u"\\*").size(), 20u);
    std::string back;
    ASSERT_EQ(ReadFile("\\F19.TXT", &back), FS_OK);
    EXPECT_EQ(back, Pattern(600, 19));
    EXPECT_NE(Le32(image() + 32 * 512 + 8), 0x0FFFFFFFu);  // the root chain grew
    EXPECT_EQ(Le32(image() + 512 + 488), 69999u - 20 * 2 - 1);
    EXPECT_EQ(FreeSectors(), 69999u - 20 * 2 - 1);
}

TEST_F(MountTest, ATransferIsTriedThreeTimes) {
    Format(Floppy::k144);
    ASSERT_EQ(MoveToDrive(), FS_OK);
    drive->failReads = 2;
    EXPECT_EQ(engine.fsMount(), FS_OK);
    drive->failReads = 3;
    EXPECT_EQ(engine.fsMount(), FS_READ_ERROR);
    EXPECT_EQ(engine.fatType(), 0);
}

TEST_F(MountTest, WritesAreRetriedAndAThirdFailureIsAWriteError) {
    Format(Floppy::k144);
    ASSERT_EQ(MoveToDrive(), FS_OK);
    drive->failWrites = 2;
    EXPECT_EQ(WriteFile("\\RETRIED.TXT", "data"), FS_OK);
    drive->failWrites = 3;
    EXPECT_EQ(engine.fsCreate("\\FAILED.TXT", 0), FS_WRITE_ERROR);
    std::string back;
    EXPECT_EQ(ReadFile("\\RETRIED.TXT", &back), FS_OK);
    EXPECT_EQ(back, "data");
}

}  // namespace
