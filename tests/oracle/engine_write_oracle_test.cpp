// Trees that the engine writes into volumes made by mkfs.fat and mformat (empty, holding mcopy
// files, or with deleted data in their free clusters), judged by fsck.fat, mdir, mattrib and mcopy.
#include <filesystem>

#include "oracle/engine_write_oracle.h"

namespace {

// The corpus with a large file sized to leave `spareClusters` clusters of `freeBytes` unused.
std::vector<EngineItem> CorpusLeaving(uint32_t spareClusters, uint64_t freeBytes, uint32_t clusterBytes) {
    uint32_t others = ExpectedClusters(EngineCorpus(clusterBytes, 0), clusterBytes);
    uint64_t large = freeBytes - uint64_t{others + spareClusters} * clusterBytes;
    return EngineCorpus(clusterBytes, static_cast<size_t>(large));
}

// The corpus, leaving 10 clusters free, judged by every tool and read back by a fresh engine.
class CorpusWriteTest : public EngineWriteOracleTest {
protected:
    void WriteCorpusAndExpectEveryToolAgrees() {
        std::vector<EngineItem> items = CorpusLeaving(10, ToolFreeBytes(), ClusterBytes());
        ASSERT_NO_FATAL_FAILURE(Mount());

        ASSERT_NO_FATAL_FAILURE(WriteAll(items));
        Save();

        ExpectFsckClean(static_cast<uint32_t>(items.size()) + 1, ExpectedClusters(items, ClusterBytes()));
        ExpectMdirShows(items);
        ExpectMattribShows(items);
        ExpectMcopyReads(ExpectedTree(items));
        ExpectEngineReads(ExpectedTree(items));
    }
};

TEST_P(CorpusWriteTest, TreeOnAFreshVolumeIsCleanAndReadsBack) {
    ASSERT_TRUE(MakeVolume(GetParam(), image));
    WriteCorpusAndExpectEveryToolAgrees();
}

// Free clusters that still hold the bytes of a deleted file: every directory cluster the engine
// takes must be cleared, or the old bytes read as entries.
TEST_P(CorpusWriteTest, TreeOverDeletedDataIsCleanAndReadsBack) {
    ASSERT_TRUE(MakeVolume(GetParam(), image));
    Tree junk;
    AddFile(&junk, "JUNK.BIN", PatternBytes(ToolFreeBytes() - ClusterBytes(), 42));
    ASSERT_TRUE(CopyTreeIn(junk, dir.File("junk"), image));
    ASSERT_EQ(RunTool("mdel -i " + ShellQuote(image) + " ::/JUNK.BIN").exitCode, 0);
    WriteCorpusAndExpectEveryToolAgrees();
}

// The engine adds its tree beside files mcopy wrote, some of it into mcopy's own directories.
TEST_P(EngineWriteOracleTest, TreeBesideMcopyFilesIsCleanAndReadsBack) {
    ASSERT_TRUE(MakeVolume(GetParam(), image));
    Tree host = ToolCorpus(ClusterBytes());
    ASSERT_TRUE(CopyTreeIn(host, dir.File("corpus"), image));
    MdirListing listing = RunMdir(image);
    const MdirEntry* subDir = listing.Find("", "Sub Dir");
    const MdirEntry* many = listing.Find("", "Many Entries");
    ASSERT_TRUE(subDir && many) << listing.output;

    std::vector<EngineItem> items = CorpusLeaving(20, listing.bytesFree, ClusterBytes());
    auto addInto = [&](const MdirEntry& parent, const std::string& parentPath, const std::string& shortName,
                       const std::string& longName, size_t size) {
        EngineItem item;
        item.path = "\\" + MdirShortName(parent) + "\\" + shortName;
        item.longName = longName;
        item.expectedPath = parentPath + "/" + (longName.empty() ? shortName : longName);
        item.bytes = PatternBytes(size, static_cast<unsigned>(items.size()));
        item.date = FatDate(2003, 3, 3);
        item.time = FatTime(3, 33, 33);
        items.push_back(item);
    };
    addInto(*subDir, "Sub Dir", "ENGINE~1.TXT", "Engine Added File.txt", 777);
    addInto(*many, "Many Entries", "ADDEDB~1.BIN", "Added By The Engine Too.bin", 3 * ClusterBytes());
    addInto(*many, "Many Entries", "PLAIN.TXT", "", 1);
    ASSERT_NO_FATAL_FAILURE(Mount());

    ASSERT_NO_FATAL_FAILURE(WriteAll(items));
    Save();

    ExpectFsckClean(static_cast<uint32_t>(host.size() + items.size()) + 1);
    ExpectMdirShows(items);
    Tree expected = ExpectedTree(items);
    expected.insert(host.begin(), host.end());
    ExpectMcopyReads(expected);
    Tree engineView = ExpectedTree(items);
    Tree hostView = EngineDisplayTree(host);
    engineView.insert(hostView.begin(), hostView.end());
    ExpectEngineReads(engineView);
}

// A full root whose only free entries are holes that mdel left between live entries, 1, 3, 4
// and 5 entries wide: long-name sets must go where they fit whole, never over a live entry and
// never past the root, and then the root is full.
TEST_P(EngineWriteOracleTest, FilesFillTheHolesOfAFullRoot) {
    ASSERT_TRUE(MakeVolume(GetParam(), image));
    const int holeWidth[4] = {1, 3, 4, 5};  // entries freed by the drop file of each group
    std::vector<std::string> order;         // the label takes the first root entry
    std::vector<std::string> dropped;
    Tree host;
    int used = 1;
    for (int i = 1; i <= 12; ++i) {
        order.push_back("Keep " + std::to_string(i) + ".dat");  // a long-name entry and the short entry
        AddFile(&host, order.back(), PatternBytes(static_cast<size_t>(i) * 10, 900 + i));
        int width = holeWidth[i % 4];
        std::string drop = width == 1 ? "DROP" + std::to_string(i) + ".TXT"
                                      : "Drop " + std::to_string(i) + " " + std::string(13u * (width - 1) - 9, 'x');
        order.push_back(drop);
        AddFile(&host, drop, PatternBytes(5, 950 + i));
        dropped.push_back(drop);
        used += 2 + width;
    }
    for (int i = 1; used < static_cast<int>(GetParam().rootEntries); ++i, ++used) {
        order.push_back("PAD" + std::to_string(i) + ".BIN");
        AddFile(&host, order.back(), PatternBytes(1, 2000 + i));
    }
    std::filesystem::create_directories(dir.File("holes"));
    WriteHostTree(dir.File("holes"), host);
    std::string names;
    for (const std::string& name : order)
        names += " " + ShellQuote(name);
    ToolResult copy =
        RunTool("cd " + ShellQuote(dir.File("holes")) + " && mcopy -i " + ShellQuote(image) + names + " ::/");
    ASSERT_EQ(copy.exitCode, 0) << copy.output;
    ASSERT_NE(
        RunTool("mcopy -i " + ShellQuote(image) + " " + ShellQuote(dir.File("holes/PAD1.BIN")) + " ::/ONEMORE.BIN")
            .exitCode,
        0)
        << "the root is not full";
    for (const std::string& drop : dropped) {
        ToolResult result = RunTool("mdel -i " + ShellQuote(image) + " " + ShellQuote("::/" + drop));
        ASSERT_EQ(result.exitCode, 0) << result.output;
        host.erase(drop);
    }
    ASSERT_NO_FATAL_FAILURE(Mount());

    // Widest first, so that every set has a hole of its own width left: 5-, 4-, 3- and 1-entry files.
    std::vector<EngineItem> items;
    for (int width : {5, 4, 3, 1}) {
        for (int k = 1; k <= 3; ++k) {
            EngineItem item;
            std::string tag = std::to_string(width) + std::to_string(k);
            item.longName = width == 1 ? "" : "Hole " + tag + " " + std::string(13u * (width - 1) - 8, 'y');
            item.path = width == 1 ? "\\FIT" + tag + ".BIN" : "\\HOLE~" + tag + ".BIN";
            item.expectedPath = width == 1 ? item.path.substr(1) : item.longName;
            item.bytes = PatternBytes(static_cast<size_t>(width) * 100 + k, 970 + width * 10 + k);
            item.date = FatDate(2020, 2, 20);
            item.time = FatTime(20, 20, 20);
            EXPECT_EQ(volume.Write(item), FS_OK) << item.path;
            items.push_back(item);
        }
    }
    EngineItem oneMore = items.back();
    oneMore.path = "\\ONEMORE.BIN";
    EXPECT_EQ(volume.Write(oneMore), FS_ROOT_FULL);
    Save();

    ExpectFsckClean(static_cast<uint32_t>(host.size() + items.size()) + 1);
    ExpectMdirShows(items);
    Tree expected = ExpectedTree(items);
    expected.insert(host.begin(), host.end());
    ExpectMcopyReads(expected);
}

INSTANTIATE_TEST_SUITE_P(Geometries,
                         CorpusWriteTest,
                         ::testing::ValuesIn(kGeometries),
                         [](const ::testing::TestParamInfo<Geometry>& info) { return GeometryName(info.param); });
INSTANTIATE_TEST_SUITE_P(Geometries,
                         EngineWriteOracleTest,
                         ::testing::ValuesIn(kGeometries),
                         [](const ::testing::TestParamInfo<Geometry>& info) { return GeometryName(info.param); });

}  // namespace
