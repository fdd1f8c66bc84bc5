// Damaged volumes: looping and broken chains, impossible boot sector values and layouts that
// leave the slot. Each gives a status; none may hang or reach outside the slot's sectors,
// which the drive here records.
#include <algorithm>
#include <cstring>

#include "engine_fixture.h"

namespace {

constexpr uint64_t kSlotBytes = 3072 * 512;

class DamagedVolumeTest : public EngineTest {};

TEST_F(DamagedVolumeTest, AFileChainThatLoopsEndsEveryWalk) {
    Format(Floppy::k144);
    ASSERT_EQ(WriteFile("\\LOOP.BIN", Pattern(10 * 512, 1)), FS_OK);
    ASSERT_EQ(WriteFile("\\OK.BIN", Pattern(3 * 512, 2)), FS_OK);
    SetFat12Entry(image(), layout, 11, 5);                 // 2..11 then back to 5
    PutLe32(RootEntry(image(), layout, 0) + 28, 1500000);  // and a size that never ends
    ASSERT_EQ(MoveToDrive(), FS_OK);
    ASSERT_EQ(engine.fsOpen("\\LOOP.BIN", nullptr), FS_OK);
    std::string buffer(1500000, '\0');
    uint32_t count = static_cast<uint32_t>(buffer.size());
    ASSERT_EQ(engine.fsReadBytes(&buffer[0], &count), FS_OK);
    EXPECT_LE(count, 2847u * 512);  // at most as many clusters as the volume has
    EXPECT_EQ(buffer.substr(0, 10 * 512), Pattern(10 * 512, 1));
    // Writing over it goes round the loop until the bound, then stops.
    ASSERT_EQ(engine.fsOpen("\\LOOP.BIN", nullptr), FS_OK);
    count = static_cast<uint32_t>(buffer.size());
    EXPECT_EQ(engine.fsWriteBytes(buffer.data(), &count), FS_END_OF_CHAIN);
    EXPECT_LT(count, buffer.size());
    ASSERT_EQ(engine.fsErase("\\LOOP.BIN"), FS_OK);
    for (uint32_t c = 2; c <= 11; ++c)
        EXPECT_EQ(Fat12Entry(disk(), layout, c), 0u) << c;
    std::string back;
    ASSERT_EQ(ReadFile("\\OK.BIN", &back), FS_OK);
    EXPECT_EQ(back, Pattern(3 * 512, 2));
    EXPECT_EQ(FreeSectors(), 2847u - 3);
}

TEST_F(DamagedVolumeTest, ADirectoryChainThatLoopsOnItselfEndsEveryWalk) {
    Format(Floppy::k144);
    ASSERT_EQ(MakeDir("\\SUB"), FS_OK);
    const uint32_t sub = engine.openFile().firstCluster;
    for (int i = 0; i < 14; ++i)
        ASSERT_EQ(WriteFile("\\SUB\\F" + std::to_string(i), ""), FS_OK);
    SetFat12Entry(image(), layout, sub, sub);  // full, and its only cluster links to itself
    ASSERT_EQ(MoveToDrive(), FS_OK);
    EXPECT_EQ(engine.fsOpen("\\SUB\\NONE", nullptr), FS_NOT_FOUND);
    EXPECT_EQ(engine.fsOpen("\\SUB\\NODIR\\X", nullptr), FS_PATH_NOT_FOUND);
    EXPECT_EQ(engine.fsCreate("\\SUB\\NEW", 0), FS_END_OF_CHAIN);
    engine.SetEnumerationIndex(1000000);
    EXPECT_EQ(engine.fsOpen("\\SUB\\*", u"\\SUB\\*"), FS_NOT_FOUND);
    engine.SetEnumerationIndex(2);
    EXPECT_EQ(engine.fsOpen("\\SUB\\*", u"\\SUB\\*"), FS_OK);
    EXPECT_STREQ(engine.commandPath(), "\\SUB\\F0");
    EXPECT_EQ(Fat12Entry(disk(), layout, sub), sub);  // nothing was linked onto the loop
}

struct BadLink {
    uint32_t value;
};

class BrokenChainTest : public DamagedVolumeTest, public ::testing::WithParamInterface<BadLink> {};

// Clusters 0 and 1 are reserved and 2849 lies past the volume: the chain ends before them.
TEST_P(BrokenChainTest, ALinkOutsideTheVolumeEndsTheChain) {
    Format(Floppy::k144);
    ASSERT_EQ(WriteFile("\\BROKEN.BIN", Pattern(5 * 512, 3)), FS_OK);
    SetFat12Entry(image(), layout, 3, GetParam().value);
    ASSERT_EQ(MoveToDrive(), FS_OK);
    std::vector<uint8_t> reserved(disk() + 512, disk() + 515);
    std::string back;
    ASSERT_EQ(ReadFile("\\BROKEN.BIN", &back), FS_OK);
    EXPECT_EQ(back, Pattern(5 * 512, 3).substr(0, 2 * 512));
    ASSERT_EQ(engine.fsOpen("\\BROKEN.BIN", nullptr), FS_OK);
    std::string longer = Pattern(8 * 512, 4);
    uint32_t count = static_cast<uint32_t>(longer.size());
    EXPECT_EQ(engine.fsWriteBytes(longer.data(), &count), FS_END_OF_CHAIN);
    EXPECT_LE(count, 2u * 512);
    ASSERT_EQ(engine.fsErase("\\BROKEN.BIN"), FS_OK);
    EXPECT_EQ(Fat12Entry(disk(), layout, 2), 0u);
    EXPECT_EQ(Fat12Entry(disk(), layout, 3), 0u);
    EXPECT_TRUE(std::equal(reserved.begin(), reserved.end(), disk() + 512));
    EXPECT_EQ(FreeSectors(), 2847u - 3);  // 4..6 were lost to the break
}

INSTANTIATE_TEST_SUITE_P(Links,
                         BrokenChainTest,
                         ::testing::Values(BadLink{0}, BadLink{1}, BadLink{2849}, BadLink{0xFF0}));

TEST_F(DamagedVolumeTest, AFirstClusterOutsideTheVolumeHoldsNoData) {
    Format(Floppy::k144);
    ASSERT_EQ(WriteFile("\\HIGH.BIN", Pattern(512, 5)), FS_OK);
    PutLe16(RootEntry(image(), layout, 0) + 20, 1);  // high word: cluster 0x10002
    ASSERT_EQ(MoveToDrive(), FS_OK);
    std::string back;
    ASSERT_EQ(ReadFile("\\HIGH.BIN", &back), FS_OK);
    EXPECT_EQ(back, "");
    ASSERT_EQ(engine.fsOpen("\\HIGH.BIN", nullptr), FS_OK);
    uint32_t count = 1;
    EXPECT_EQ(engine.fsWriteBytes("x", &count), FS_END_OF_CHAIN);
    EXPECT_EQ(engine.fsErase("\\HIGH.BIN"), FS_OK);
    EXPECT_EQ(Fat12Entry(disk(), layout, 2), 0xFFFu);  // not this entry's to free
}

TEST_F(DamagedVolumeTest, AHugeClusterCountIsBoundedByTheFatsSize) {
    PutBootSector(image(), 1, 1, 2, 224, 0xFFFFFFFF, 9);  // FAT32 by count, with a 9-sector FAT
    ASSERT_EQ(MoveToDrive(), FS_OK);
    EXPECT_EQ(engine.fatType(), 3);
    DiskInfo info{};
    EXPECT_EQ(engine.fsDiskQuery(&info), FS_READ_ERROR);
    EXPECT_EQ(engine.fsOpen("\\ANY", nullptr), FS_NOT_FOUND);  // root cluster 0: nothing there
    EXPECT_EQ(engine.fsCreate("\\NEW", 0), FS_END_OF_CHAIN);
    EXPECT_EQ(engine.fsCreateDir("\\NEWDIR"), FS_END_OF_CHAIN);
}

TEST_F(DamagedVolumeTest, AFat16WhoseFatIsTooSmallFailsItsScans) {
    PutBootSector(image(), 1, 1, 2, 224, 60000, 9);
    ASSERT_EQ(MoveToDrive(), FS_OK);
    EXPECT_EQ(engine.fatType(), 2);
    DiskInfo info{};
    EXPECT_EQ(engine.fsDiskQuery(&info), FS_READ_ERROR);
    PutLe16(disk() + 512, 0xFFF8);
    PutLe16(disk() + 514, 0xFFFF);
    ASSERT_EQ(engine.fsCreate("\\FILE", 0), FS_OK);  // the root area is fine
    std::string big = Pattern(3000 * 512, 1);
    uint32_t count = static_cast<uint32_t>(big.size());
    EXPECT_EQ(engine.fsWriteBytes(big.data(), &count), FS_READ_ERROR);
}

TEST_F(DamagedVolumeTest, AFat12FatLongerThanTwelveSectorsWorks) {
    PutBootSector(image(), 1, 1, 2, 224, 1 + 40 + 14 + 2000, 20);
    image()[512] = 0xF0;
    image()[513] = image()[514] = 0xFF;
    std::memcpy(image() + 21 * 512, image() + 512, 3);
    ASSERT_EQ(MoveToDrive(), FS_OK);
    EXPECT_EQ(engine.fatType(), 1);
    EXPECT_EQ(engine.volume().dataStart, 55u);
    std::string data = Pattern(1900 * 512, 6), back;
    ASSERT_EQ(WriteFile("\\WIDE.BIN", data), FS_OK);
    ASSERT_EQ(ReadFile("\\WIDE.BIN", &back), FS_OK);
    EXPECT_TRUE(back == data);
    EXPECT_EQ(FreeSectors(), 100u);
}

TEST_F(DamagedVolumeTest, ZeroSectorsPerClusterOrANegativeDataAreaIsNoVolume) {
    PutBootSector(image(), 0, 1, 2, 224, 2880, 9);
    ASSERT_EQ(MoveToDrive(), FS_NO_VOLUME);
    PutBootSector(disk(), 1, 4000, 2, 224, 2880, 9);  // more reserved sectors than sectors
    EXPECT_EQ(engine.fsMount(), FS_NO_VOLUME);
    PutBootSector(disk(), 1, 1, 2, 224, 30, 9);  // FATs and root larger than the volume
    EXPECT_EQ(engine.fsMount(), FS_NO_VOLUME);
    EXPECT_EQ(engine.fatType(), 0);
}

TEST_F(DamagedVolumeTest, APartitionStartOutsideTheSlotIsAReadError) {
    std::memset(image(), 0, 512);
    PutLe32(image() + 454, 5000);
    EXPECT_EQ(MoveToDrive(), FS_READ_ERROR);
    PutLe32(disk() + 454, 0xFFFFFFFF);
    EXPECT_EQ(engine.fsMount(), FS_READ_ERROR);
}

TEST_F(DamagedVolumeTest, ARootAreaBeyondTheSlotIsAReadError) {
    PutBootSector(image(), 1, 3100, 2, 224, 3100 + 18 + 14 + 2000, 9);
    ASSERT_EQ(MoveToDrive(), FS_OK);
    DiskInfo info{};
    EXPECT_EQ(engine.fsDiskQuery(&info), FS_READ_ERROR);
    EXPECT_EQ(engine.fsOpen("\\*", u"\\*"), FS_READ_ERROR);
    EXPECT_EQ(engine.fsCreate("\\NEW", 0), FS_READ_ERROR);
    EXPECT_EQ(engine.fsOpen("\\", u"\\"), FS_IS_DIRECTORY);
}

TEST_F(DamagedVolumeTest, ADataAreaBeyondTheSlotIsAWriteError) {
    PutBootSector(image(), 1, 1, 2, 0xFFF0, 19 + 4095 + 2000, 9);  // 4095 root sectors
    image()[512] = 0xF0;
    image()[513] = image()[514] = 0xFF;
    std::memset(image() + 19 * 512, 0, 512);
    ASSERT_EQ(MoveToDrive(), FS_OK);
    EXPECT_EQ(engine.volume().dataStart, 4114u);
    ASSERT_EQ(engine.fsCreate("\\FILE", 0), FS_OK);
    uint32_t count = 600;
    std::string data = Pattern(600, 1);
    EXPECT_EQ(engine.fsWriteBytes(data.data(), &count), FS_WRITE_ERROR);
    EXPECT_EQ(engine.fsCreateDir("\\DIR"), FS_WRITE_ERROR);
}

TEST_F(DamagedVolumeTest, ClustersPastTheSlotCannotBeWritten) {
    PutBootSector(image(), 1, 1, 2, 224, 33 + 4000, 12);  // 4000 clusters, only 3039 in the slot
    image()[512] = 0xF0;
    image()[513] = image()[514] = 0xFF;
    std::memset(image() + 25 * 512, 0, 8 * 512);
    ASSERT_EQ(MoveToDrive(), FS_OK);
    std::string data = Pattern(3100 * 512, 2);
    ASSERT_EQ(engine.fsCreate("\\BIG", 0), FS_OK);
    uint32_t count = static_cast<uint32_t>(data.size());
    EXPECT_EQ(engine.fsWriteBytes(data.data(), &count), FS_WRITE_ERROR);
    EXPECT_LE(count, 3039u * 512);
}

// Random bytes over the system area and a directory of a populated volume: whatever the engine
// makes of them, it returns one of its statuses and stays inside the slot.
TEST_F(DamagedVolumeTest, ScrambledSystemAreasAlwaysGiveAStatus) {
    Format(Floppy::k144, "FLPPY0");
    ASSERT_EQ(MakeDir("\\PROGRA~1", u"Program Files"), FS_OK);
    ASSERT_EQ(WriteFile("\\PROGRA~1\\LONGNA~1.TXT", Pattern(3000, 1), u"Long name.txt"), FS_OK);
    ASSERT_EQ(WriteFile("\\README.TXT", Pattern(20000, 2)), FS_OK);
    ASSERT_EQ(MoveToDrive(), FS_OK);
    std::vector<uint8_t> pristine(disk(), disk() + kSlotBytes);
    const FsStatus known[] = {FS_OK,        FS_BAD_NAME,      FS_READ_ERROR,    FS_WRITE_ERROR,  FS_DISK_FULL,
                              FS_ROOT_FULL, FS_PATH_OVERFLOW, FS_EXISTS,        FS_NOT_FOUND,    FS_PATH_NOT_FOUND,
                              FS_NOT_OPEN,  FS_NO_VOLUME,     FS_BAD_PARTITION, FS_END_OF_CHAIN, FS_IS_DIRECTORY};
    auto isKnown = [&](FsStatus s) { return std::find(std::begin(known), std::end(known), s) != std::end(known); };
    uint32_t x = 12345;
    auto next = [&] { return x = x * 1103515245u + 12345, x >> 8; };
    std::string buffer(1572864, '\0');
    for (int round = 0; round < 60; ++round) {
        std::copy(pristine.begin(), pristine.end(), disk());
        for (int k = 0; k < 24; ++k)
            disk()[next() % (40 * 512)] = static_cast<uint8_t>(next());
        FsStatus status = engine.fsMount();
        ASSERT_TRUE(isKnown(status));
        if (status != FS_OK) continue;
        DiskInfo info{};
        EXPECT_TRUE(isKnown(engine.fsDiskQuery(&info)));
        for (uint32_t index = 0; index < 40; ++index) {
            engine.SetEnumerationIndex(index);
            status = engine.fsOpen("\\*", u"\\*");
            ASSERT_TRUE(isKnown(status));
            if (status != FS_OK) break;
            uint32_t count = static_cast<uint32_t>(buffer.size());
            EXPECT_TRUE(isKnown(engine.fsReadBytes(&buffer[0], &count)));
        }
        EXPECT_TRUE(isKnown(engine.fsOpen("\\PROGRA~1\\LONGNA~1.TXT", nullptr)));
        status = engine.fsCreate("\\NEWFILE.BIN", 1);
        ASSERT_TRUE(isKnown(status));
        if (status == FS_OK) {
            uint32_t count = 70000;
            EXPECT_TRUE(isKnown(engine.fsWriteBytes(buffer.data(), &count)));
            EXPECT_TRUE(isKnown(engine.fsClose()));
        }
        EXPECT_TRUE(isKnown(engine.fsErase("\\README.TXT")));
    }
}

}  // namespace
