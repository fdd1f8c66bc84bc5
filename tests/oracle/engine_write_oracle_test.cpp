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

TEST_P(EngineWriteOracleTest, TreeOnAFreshVolumeIsCleanAndReadsBack) {
    ASSERT_TRUE(MakeVolume(GetParam(), image));
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

// Free clusters that still hold the bytes of a deleted file: every directory cluster the engine
// takes must be cleared, or the old bytes read as entries.
TEST_P(EngineWriteOracleTest, TreeOverDeletedDataIsCleanAndReadsBack) {
    ASSERT_TRUE(MakeVolume(GetParam(), image));
    std::filesystem::create_directories(dir.File("junk"));
    WriteWholeFile(dir.File("junk/JUNK.BIN"), PatternBytes(ToolFreeBytes() - ClusterBytes(), 42));
    ASSERT_TRUE(CopyInWithMcopy(dir.File("junk"), image));
    ASSERT_EQ(RunTool("mdel -i " + ShellQuote(image) + " ::/JUNK.BIN").exitCode, 0);
    std::vector<EngineItem> items = CorpusLeaving(10, ToolFreeBytes(), ClusterBytes());
    ASSERT_NO_FATAL_FAILURE(Mount());

    ASSERT_NO_FATAL_FAILURE(WriteAll(items));
    Save();

    ExpectFsckClean(static_cast<uint32_t>(items.size()) + 1, ExpectedClusters(items, ClusterBytes()));
    ExpectMdirShows(items);
    ExpectMcopyReads(ExpectedTree(items));
    ExpectEngineReads(ExpectedTree(items));
}

// The engine adds its tree beside files mcopy wrote, some of it into mcopy's own directories.
TEST_P(EngineWriteOracleTest, TreeBesideMcopyFilesIsCleanAndReadsBack) {
    ASSERT_TRUE(MakeVolume(GetParam(), image));
    Tree host = ToolCorpus(ClusterBytes());
    std::filesystem::create_directories(dir.File("corpus"));
    WriteHostTree(dir.File("corpus"), host, kCorpusMtime);
    ASSERT_TRUE(CopyInWithMcopy(dir.File("corpus"), image));
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

INSTANTIATE_TEST_SUITE_P(Geometries,
                         EngineWriteOracleTest,
                         ::testing::ValuesIn(kGeometries),
                         [](const ::testing::TestParamInfo<Geometry>& info) { return GeometryName(info.param); });

}  // namespace
