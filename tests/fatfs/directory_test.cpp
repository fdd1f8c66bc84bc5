// Directories: "." and "..", growth of subdirectories sector by sector and cluster by cluster,
// and where long-name sets may go.
#include <algorithm>
#include <cstring>

#include "engine_fixture.h"

namespace {

class DirectoryTest : public EngineTest {
protected:
    uint32_t DirCluster(const std::string& path) {
        EXPECT_EQ(engine.fsOpen(path.c_str(), nullptr), FS_IS_DIRECTORY);
        return engine.openFile().firstCluster;
    }

    // Entry index within a directory's cluster sequence.
    uint8_t* DirEntry(uint32_t cluster, uint32_t index) { return ClusterAt(image(), layout, cluster) + index * 32; }
};

// Two sectors per cluster, and a data area of 0xF6 bytes: all of a new directory's cluster is
// cleared, not just its first sector.
TEST_F(DirectoryTest, NewDirectoriesAreClearedAndPointAtThemselvesAndTheirParent) {
    Format(Floppy::k120);
    ASSERT_EQ(MakeDir("\\A"), FS_OK);
    EXPECT_EQ(engine.fsClose(), FS_OK);  // left open as a directory
    ASSERT_EQ(MakeDir("\\A\\B"), FS_OK);
    ASSERT_EQ(MakeDir("\\A\\B\\C"), FS_OK);
    uint32_t a = DirCluster("\\A"), b = DirCluster("\\A\\B"), c = DirCluster("\\A\\B\\C");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(DirEntry(a, 0)), 11), ".          ");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(DirEntry(a, 1)), 11), "..         ");
    EXPECT_EQ(DirEntry(a, 0)[11], 0x10);
    EXPECT_EQ(Le16(DirEntry(a, 0) + 26), a);
    EXPECT_EQ(Le16(DirEntry(a, 1) + 26), 0u);
    EXPECT_EQ(Le16(DirEntry(b, 1) + 26), a);
    EXPECT_EQ(Le16(DirEntry(c, 0) + 26), c);
    EXPECT_EQ(Le16(DirEntry(c, 1) + 26), b);
    EXPECT_EQ(Fat12Entry(image(), layout, c), 0xFFFu);
    EXPECT_TRUE(std::all_of(DirEntry(c, 2), DirEntry(c, 32), [](uint8_t b) { return b == 0; }));
}

// Two sectors per cluster: the 17th entry goes to the second sector of the same cluster, and
// a new cluster (cleared in full) is taken only when both are full.
TEST_F(DirectoryTest, ASubdirectoryUsesEverySectorOfItsClusterBeforeTakingAnother) {
    Format(Floppy::k720);
    ASSERT_EQ(MakeDir("\\SUB"), FS_OK);
    const uint32_t sub = engine.openFile().firstCluster;
    for (int i = 0; i < 30; ++i)
        ASSERT_EQ(WriteFile("\\SUB\\F" + std::to_string(i), ""), FS_OK) << i;
    EXPECT_EQ(RawChain(image(), layout, sub).size(), 1u);
    EXPECT_EQ(DirEntry(sub, 16)[0], 'F');  // first entry of the second sector
    ASSERT_EQ(WriteFile("\\SUB\\F30", ""), FS_OK);
    std::vector<uint32_t> chain = RawChain(image(), layout, sub);
    ASSERT_EQ(chain.size(), 2u);
    uint8_t* added = ClusterAt(image(), layout, chain[1]);
    EXPECT_EQ(added[0], 'F');
    EXPECT_TRUE(std::all_of(added + 32, added + 1024, [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(List("\\SUB\\*", u"\\SUB\\*").size(), 33u);
}

// A long-name set that does not fit in the last cluster continues into a new one, and reads
// back across the cluster boundary even when the clusters are not adjacent.
TEST_F(DirectoryTest, LongNameSetsCrossClusterBoundaries) {
    Format(Floppy::k144);
    ASSERT_EQ(MakeDir("\\SUB"), FS_OK);
    const uint32_t sub = engine.openFile().firstCluster;
    for (int i = 0; i < 13; ++i)
        ASSERT_EQ(WriteFile("\\SUB\\S" + std::to_string(i), ""), FS_OK);
    ASSERT_EQ(WriteFile("\\SPACER.BIN", Pattern(512, 1)), FS_OK);  // takes the cluster after SUB
    std::u16string longName = u"A name that needs three pieces.txt";
    ASSERT_EQ(WriteFile("\\SUB\\ANAMET~1.TXT", "spans", longName), FS_OK);
    std::vector<uint32_t> chain = RawChain(image(), layout, sub);
    ASSERT_EQ(chain.size(), 2u);
    EXPECT_NE(chain[1], chain[0] + 1);
    EXPECT_EQ(DirEntry(sub, 15)[0], 0x43);     // first piece in the old cluster
    EXPECT_EQ(DirEntry(chain[1], 2)[0], 'A');  // short entry in the new one
    std::vector<ListedEntry> listed = List("\\SUB\\*", u"\\SUB\\*");
    ASSERT_EQ(listed.size(), 16u);
    EXPECT_EQ(listed[15].longPath, u"\\SUB\\" + longName);
    std::string back;
    ASSERT_EQ(ReadFile("\\SUB\\ANAMET~1.TXT", &back), FS_OK);
    EXPECT_EQ(back, "spans");
}

class LongNamePlacementTest : public DirectoryTest {
protected:
    void FillRoot(int entries) {
        for (int i = 0; i < entries; ++i)
            ASSERT_EQ(WriteFile("\\R" + std::to_string(i), Pattern(10, i)), FS_OK) << i;
    }
    void ExpectRootFilesIntact(int entries, std::vector<int> erased) {
        for (int i = 0; i < entries; ++i) {
            if (std::find(erased.begin(), erased.end(), i) != erased.end()) continue;
            std::string back;
            ASSERT_EQ(ReadFile("\\R" + std::to_string(i), &back), FS_OK) << i;
            EXPECT_EQ(back, Pattern(10, i));
        }
    }
};

TEST_F(LongNamePlacementTest, ASetGoesOnlyIntoAHoleLargeEnoughForIt) {
    Format(Floppy::k144);
    FillRoot(224);
    for (int i : {10, 11, 50, 51, 52})
        ASSERT_EQ(engine.fsErase(("\\R" + std::to_string(i)).c_str()), FS_OK);
    // Three entries: the hole of two at 10 is passed over for the one of three at 50.
    ASSERT_EQ(WriteFile("\\THREEP~1.TXT", "3", u"Three piece long name.txt"), FS_OK);
    EXPECT_EQ(RootEntry(image(), layout, 50)[0], 0x42);
    EXPECT_EQ(RootEntry(image(), layout, 52)[0], 'T');
    EXPECT_EQ(RootEntry(image(), layout, 10)[0], 0xE5);
    // Four entries fit nowhere now.
    EXPECT_EQ(WriteFile("\\FOURPI~1.TXT", "", u"A four piece long name, of 40 characters"), FS_ROOT_FULL);
    ASSERT_EQ(WriteFile("\\TWOPIE~1", "2", u"Two pieces"), FS_OK);
    EXPECT_EQ(RootEntry(image(), layout, 11)[0], 'T');
    // Every root entry is taken now, for files and directories alike.
    EXPECT_EQ(engine.fsCreate("\\ONEMORE", 0), FS_ROOT_FULL);
    EXPECT_EQ(engine.fsCreateDir("\\DIR"), FS_ROOT_FULL);
    ExpectRootFilesIntact(224, {10, 11, 50, 51, 52});
    std::vector<ListedEntry> listed = List("\\*", u"\\*");
    EXPECT_EQ(listed[10].longPath, u"\\Two pieces");
    EXPECT_EQ(listed[49].longPath, u"\\Three piece long name.txt");
}

TEST_F(LongNamePlacementTest, ASetThatEndsARootSectorLeavesTheNextSectorTerminated) {
    Format(Floppy::k144);
    FillRoot(14);
    // Stale bytes past the end marker must not surface as entries.
    std::memset(SectorAt(image(), layout.rootStart + 1), 0x41, 512);
    std::memset(RootEntry(image(), layout, 14), 0, 64);
    ASSERT_EQ(WriteFile("\\THREEP~1.TXT", "3", u"Three piece long name.txt"), FS_OK);
    EXPECT_EQ(RootEntry(image(), layout, 16)[0], 'T');
    EXPECT_EQ(RootEntry(image(), layout, 17)[0], 0);
    EXPECT_EQ(List("\\*", u"\\*").size(), 15u);
}

}  // namespace
