// Volumes that mkfs.fat, mformat and mcopy made, read back through the engine: every name, long
// names included, every byte, the short names and dates mdir shows, and the space fsck counts.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "oracle/engine_volume.h"
#include "support/fat_tools.h"
#include "oracle/tool_volumes.h"
#include "support/temp_dir.h"

namespace {

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

std::string LastComponent(const std::string& path, char separator) {
    return path.substr(path.find_last_of(separator) + 1);
}

class ToolVolumeReadTest : public ::testing::TestWithParam<Geometry> {
protected:
    void SetUp() override {
        if (!FatToolsPresent()) GTEST_SKIP() << "mtools or dosfstools are not installed";
        image = dir.File("volume.img");
        clusterBytes = GetParam().sectorsPerCluster * kSectorSize;
    }

    // Copies a host tree into the image with mcopy and adds it to `host`.
    void CopyIn(const std::string& folder, const Tree& tree) {
        ASSERT_TRUE(CopyTreeIn(tree, dir.File(folder), image));
        host.insert(tree.begin(), tree.end());
    }

    // The corpus, then one file that takes all but a few clusters of what is left.
    void MakeCorpusVolume() {
        ASSERT_TRUE(MakeVolume(GetParam(), image));
        ASSERT_NO_FATAL_FAILURE(CopyIn("corpus", ToolCorpus(clusterBytes)));
        MdirListing listing = RunMdir(image);
        ASSERT_EQ(listing.exitCode, 0) << listing.output;
        ASSERT_GT(listing.bytesFree, 4u * clusterBytes);
        Tree big;
        AddFile(&big, "Big Near Volume Size.bin", PatternBytes(listing.bytesFree - 3 * clusterBytes - 100, 999));
        ASSERT_NO_FATAL_FAILURE(CopyIn("big", big));
        FsckReport fsck = RunFsck(image);
        ASSERT_TRUE(fsck.exitCode == 0 && fsck.onlySummary) << fsck.output;
    }

    void Mount() {
        ASSERT_TRUE(volume.Load(image));
        ASSERT_EQ(volume.engine.fsMount(), FS_OK);
        ASSERT_EQ(volume.engine.fatType(), 1);
    }

    TempDir dir;
    std::string image;
    uint32_t clusterBytes = 0;
    Tree host;
    EngineVolume volume;
};

// One walk of the corpus volume: every name and byte, the short names, sizes, dates and label
// that mdir shows, and the space that fsck and mdir count.
TEST_P(ToolVolumeReadTest, CorpusVolumeReadsBackAsTheToolsSeeIt) {
    ASSERT_NO_FATAL_FAILURE(MakeCorpusVolume());
    ASSERT_NO_FATAL_FAILURE(Mount());
    MdirListing listing = RunMdir(image);
    ASSERT_EQ(listing.exitCode, 0) << listing.output;
    FsckReport fsck = RunFsck(image);
    std::map<std::string, std::string> hostByDisplay;
    for (const auto& entry : host)
        hostByDisplay[EngineDisplayPath(entry.first)] = entry.first;

    VolumeWalk walk = volume.Walk();

    EXPECT_TRUE(walk.problems.empty()) << Joined(walk.problems);
    std::string differences = TreeDifferences(EngineDisplayTree(host), walk.tree);
    EXPECT_TRUE(differences.empty()) << differences;
    int labels = 0;
    for (const WalkedEntry& entry : walk.entries) {
        SCOPED_TRACE(entry.shortPath);
        if (!entry.directory && entry.info.attribute == 0x08) {
            ++labels;
            EXPECT_EQ(entry.shortPath, "\\FLOPPY1");
            continue;
        }
        auto hostPath = hostByDisplay.find(entry.displayPath);
        if (hostPath == hostByDisplay.end()) {
            ADD_FAILURE() << "no such entry was written: " << entry.displayPath;
            continue;
        }
        size_t slash = hostPath->second.find_last_of('/');
        std::string parent = slash == std::string::npos ? "" : hostPath->second.substr(0, slash);
        const MdirEntry* shown = listing.Find(parent, LastComponent(hostPath->second, '/'));
        if (!shown) {
            ADD_FAILURE() << "mdir does not list " << hostPath->second;
            continue;
        }
        // mdir shows short names through its code page; the engine gives the stored bytes.
        std::string shortName = LastComponent(entry.shortPath, '\\');
        bool ascii = std::all_of(shortName.begin(), shortName.end(), [](char c) { return (c & 0x80) == 0; });
        if (ascii) {
            EXPECT_EQ(shortName, MdirShortName(*shown));
        }
        EXPECT_EQ(entry.directory, shown->directory);
        if (entry.directory) continue;
        EXPECT_EQ(entry.info.size, shown->size);
        EXPECT_EQ(entry.info.writeDate, (2021 - 1980) * 512 + 6 * 32 + 15);  // 2021-06-15
        EXPECT_EQ(entry.info.writeTime, 10 * 2048 + 20 * 32 + 30 / 2);       // 10:20:30
        EXPECT_EQ(entry.info.attribute & 0x18, 0);
    }
    EXPECT_EQ(labels, 1);

    DiskInfo info{};
    ASSERT_EQ(volume.engine.fsDiskQuery(&info), FS_OK);
    const uint32_t spc = GetParam().sectorsPerCluster;
    EXPECT_EQ(info.fatType, 1);
    EXPECT_EQ(info.totalSectors, fsck.totalClusters * spc);
    EXPECT_EQ(info.freeSectors, (fsck.totalClusters - fsck.usedClusters) * spc);
    EXPECT_EQ(uint64_t{info.freeSectors} * kSectorSize, listing.bytesFree);
}

// Holes left by deleted files make mcopy scatter a later file over many runs, and a directory
// that grows after them gets clusters far apart: the engine must follow every link.
TEST_P(ToolVolumeReadTest, FollowsChainsThatMcopyFragmented) {
    ASSERT_TRUE(MakeVolume(GetParam(), image));
    ASSERT_EQ(RunTool("mmd -i " + ShellQuote(image) + " '::/Growing Directory'").exitCode, 0);
    Tree small;
    for (int i = 1; i <= 30; ++i)
        AddFile(&small, "S" + std::to_string(i) + ".BIN", PatternBytes(3 * clusterBytes - 50, 100 + i));
    ASSERT_NO_FATAL_FAILURE(CopyIn("small", small));
    for (int i = 1; i <= 30; i += 2) {
        std::string name = "S" + std::to_string(i) + ".BIN";
        ASSERT_EQ(RunTool("mdel -i " + ShellQuote(image) + " ::/" + name).exitCode, 0);
        host.erase(name);
    }
    Tree scattered;
    AddFile(&scattered, "Scattered Over The Holes.bin", PatternBytes(40 * 3 * clusterBytes, 7));
    ASSERT_NO_FATAL_FAILURE(CopyIn("scattered", scattered));
    Tree grown;
    AddDirectory(&grown, "Growing Directory");
    for (int i = 1; i <= 40; ++i)
        AddFile(&grown, "Growing Directory/Growing file number " + std::to_string(i) + " with a long name.txt",
                PatternBytes(static_cast<size_t>(i), 300 + i));
    ASSERT_NO_FATAL_FAILURE(CopyIn("grown", grown));
    MdirListing listing = RunMdir(image);
    Tree rest;
    AddFile(&rest, "Takes The Rest.bin", PatternBytes(listing.bytesFree - clusterBytes, 8));
    ASSERT_NO_FATAL_FAILURE(CopyIn("rest", rest));
    FsckReport fsck = RunFsck(image);
    ASSERT_TRUE(fsck.exitCode == 0 && fsck.onlySummary) << fsck.output;
    ASSERT_NO_FATAL_FAILURE(Mount());

    VolumeWalk walk = volume.Walk();

    EXPECT_TRUE(walk.problems.empty()) << Joined(walk.problems);
    std::string differences = TreeDifferences(EngineDisplayTree(host), walk.tree);
    EXPECT_TRUE(differences.empty()) << differences;
}

INSTANTIATE_TEST_SUITE_P(Geometries,
                         ToolVolumeReadTest,
                         ::testing::ValuesIn(kGeometries),
                         [](const ::testing::TestParamInfo<Geometry>& info) { return GeometryName(info.param); });

}  // namespace
