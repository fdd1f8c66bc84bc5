// FAT12 entries and cluster chains: entries straddling FAT sectors, chains that jump back,
// the two-slot run table, and freeing.
#include <algorithm>
#include <cstring>

#include "engine_fixture.h"

namespace {

class FatChainTest : public EngineTest {
protected:
    bool FatCopiesMatch() {
        return std::memcmp(SectorAt(image(), layout.fatStart), SectorAt(image(), layout.fatStart + layout.fatSectors),
                           layout.fatSectors * 512) == 0;
    }
};

// Entries 341 and 682 straddle FAT sectors 0/1 and 1/2. (A chain over every border is read back
// link by link in the size table of the file tests.)
struct StraddleCase {
    uint32_t lastCluster;  // the file's end-of-chain entry straddles two FAT sectors
};

class StraddleTest : public FatChainTest, public ::testing::WithParamInterface<StraddleCase> {};

TEST_P(StraddleTest, EndOfChainOnAStraddlingEntryLeavesTheNeighbourAlone) {
    Format(Floppy::k144);
    const uint32_t last = GetParam().lastCluster;
    SetFat12Entry(image(), layout, last + 1, 0xABC);  // in use by something else
    SetFat12Entry(image(), layout, last - 1, 0xFF7);  // a bad cluster just before
    ASSERT_EQ(WriteFile("\\UPTO.BIN", Pattern((last - 2) * 512, 1)), FS_OK);
    EXPECT_EQ(Fat12Entry(image(), layout, last), 0xFFFu);
    EXPECT_EQ(Fat12Entry(image(), layout, last + 1), 0xABCu);
    EXPECT_EQ(Fat12Entry(image(), layout, last - 1), 0xFF7u);
    EXPECT_EQ(Fat12Entry(image(), layout, last - 2), last);  // the chain jumps the bad cluster
    EXPECT_TRUE(FatCopiesMatch());
    ASSERT_EQ(engine.fsErase("\\UPTO.BIN"), FS_OK);
    EXPECT_EQ(Fat12Entry(image(), layout, last), 0u);
    EXPECT_EQ(Fat12Entry(image(), layout, last + 1), 0xABCu);
    EXPECT_EQ(Fat12Entry(image(), layout, last - 1), 0xFF7u);
    EXPECT_EQ(FreeSectors(), 2847u - 2);
}

INSTANTIATE_TEST_SUITE_P(Borders, StraddleTest, ::testing::Values(StraddleCase{341}, StraddleCase{682}));

TEST_F(FatChainTest, AChainThatJumpsBackIsFollowedAndFreed) {
    Format(Floppy::k144);
    SetFat12Entry(image(), layout, 340, 341);
    SetFat12Entry(image(), layout, 341, 10);
    SetFat12Entry(image(), layout, 10, 11);
    SetFat12Entry(image(), layout, 11, 0xFFF);
    std::string data = Pattern(4 * 512 - 3, 6);
    const uint32_t clusters[] = {340, 341, 10, 11};
    for (int i = 0; i < 4; ++i) {
        std::memcpy(ClusterAt(image(), layout, clusters[i]), data.data() + i * 512,
                    std::min<size_t>(512, data.size() - i * 512));
    }
    PutEntry(RootEntry(image(), layout, 0), "JUMP    BIN", 0x20, 340, static_cast<uint32_t>(data.size()));
    ASSERT_EQ(engine.fsMount(), FS_OK);
    std::string back;
    ASSERT_EQ(ReadFile("\\JUMP.BIN", &back), FS_OK);
    EXPECT_TRUE(back == data);
    EXPECT_EQ(FreeSectors(), 2847u - 4);
    ASSERT_EQ(engine.fsErase("\\JUMP.BIN"), FS_OK);
    for (uint32_t c : clusters)
        EXPECT_EQ(Fat12Entry(image(), layout, c), 0u) << c;
    EXPECT_EQ(FreeSectors(), 2847u);
}

TEST_F(FatChainTest, ThreeHundredConsecutiveClustersFillSlot0With255AndSlot1With45) {
    Format(Floppy::k144);
    ASSERT_EQ(WriteFile("\\RUNS.BIN", Pattern(300 * 512, 2)), FS_OK);
    ASSERT_EQ(engine.fsOpen("\\RUNS.BIN", nullptr), FS_OK);
    const ClusterRunTable& table = engine.runTable();
    EXPECT_EQ(table.runs[0].first, 2u);
    EXPECT_EQ(table.runs[0].length, 255);
    EXPECT_EQ(table.runs[1].first, 257u);
    EXPECT_EQ(table.runs[1].length, 45);
    EXPECT_EQ(table.lastSlot, 1);
    EXPECT_TRUE(table.endOfChain);
}

TEST_F(FatChainTest, ChainsLongerThanTheTableAreReadByReloading) {
    Format(Floppy::k720);
    // Three runs: 2..301, a used cluster, 303..700.
    SetFat12Entry(image(), layout, 302, 0xFFF);
    std::string data = Pattern(698 * 1024, 8), back;
    ASSERT_EQ(WriteFile("\\MANY.BIN", data), FS_OK);
    ASSERT_EQ(engine.fsOpen("\\MANY.BIN", nullptr), FS_OK);
    EXPECT_FALSE(engine.runTable().endOfChain);  // 255 + 45 then 255 more than a table holds
    ASSERT_EQ(ReadFile("\\MANY.BIN", &back), FS_OK);
    EXPECT_TRUE(back == data);
    std::vector<uint32_t> chain = RawChain(image(), layout, 2);
    ASSERT_EQ(chain.size(), 698u);
    EXPECT_EQ(chain[300], 303u);
    ASSERT_EQ(engine.fsErase("\\MANY.BIN"), FS_OK);
    EXPECT_EQ(FreeSectors(), (713u - 1) * 2);
}

}  // namespace
