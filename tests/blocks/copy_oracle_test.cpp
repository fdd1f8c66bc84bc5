// Saves and opens judged by tools nobody here wrote: a block written by save passes fsck.fat
// once cut out, and mcopy reads the same files under the same names from it in place; a block
// written by mkfs.fat or mformat and mcopy is opened byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "blocks/block_status.h"
#include "blocks/short_alias.h"
#include "disk/wide_path.h"
#include "support/fat_tools.h"
#include "oracle/host_tree.h"
#include "oracle/tool_volumes.h"
#include "support/fat_tools.h"
#include "tests/blocks/copy_fixture.h"

namespace fs = std::filesystem;

namespace {

std::string UpperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// What a saved name looks like afterwards: an 8.3 name has no alias and so no long name on the
// block, and comes back in upper case; any other name keeps its long name.
std::string SavedName(const std::string& name) {
    return FitsShortName(WideFromUtf8(name)) ? UpperAscii(name) : name;
}

Tree SavedTree(const Tree& tree) {
    Tree saved;
    for (const auto& [path, node] : tree) {
        std::string out, level;
        std::istringstream parts(path);
        while (std::getline(parts, level, '/'))
            out += (out.empty() ? "" : "/") + SavedName(level);
        saved[out] = node;
    }
    return saved;
}

class CopyOracleTest : public CopyTest {
protected:
    void SetUp() override {
        if (!FatToolsPresent()) GTEST_SKIP() << "mkfs.fat, fsck.fat or mtools is not installed";
    }

    std::string SlotImage(uint32_t block) { return drivePath + "@@" + std::to_string(block * kBlockImageSize); }
};

struct FormatCase {
    FloppyFormat format;
    uint32_t sectors;
    uint32_t clusterBytes;
};

class CopyOracleSaveTest : public CopyOracleTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(CopyOracleSaveTest, SavedBlockIsSoundAndMcopyReadsTheSameFiles) {
    MakeBlocks(3, GetParam().format);
    Tree corpus = ToolCorpus(GetParam().clusterBytes);
    fs::create_directories(PcRoot("in"));
    WriteHostTree(PcRoot("in"), corpus, kCorpusMtime);
    ASSERT_EQ(manager.CopyDirectoryToBlock(WPcRoot("in"), 1, 1), 0);

    // fsck.fat takes no offset: the volume is cut out into a file of its own.
    ASSERT_TRUE(CutSlot(drivePath, 1, GetParam().sectors, dir.File("cut.img")));
    FsckReport fsck = RunFsck(dir.File("cut.img"));
    EXPECT_TRUE(FsckClean(fsck)) << fsck.output;

    fs::create_directories(PcRoot("mcopy"));
    ToolResult copied = RunTool("mcopy -s -n -i " + ShellQuote(SlotImage(1)) + " ::/ " + ShellQuote(PcRoot("mcopy")));
    ASSERT_EQ(copied.exitCode, 0) << copied.output;
    Tree expected = SavedTree(corpus);
    EXPECT_EQ(TreeDifferences(expected, ReadHostTree(PcRoot("mcopy"))), "");

    // Our own open agrees with mcopy.
    ASSERT_EQ(manager.CopyBlockToDirectory(WPcRoot("open"), 1), 0);
    EXPECT_EQ(TreeDifferences(expected, ReadHostTree(PcRoot("open"))), "");
}

INSTANTIATE_TEST_SUITE_P(Formats,
                         CopyOracleSaveTest,
                         ::testing::Values(FormatCase{Format144M, 2880, 512},
                                           FormatCase{Format12M, 2400, 1024},
                                           FormatCase{Format720K, 1440, 1024}),
                         [](const ::testing::TestParamInfo<FormatCase>& info) {
                             return std::to_string(info.param.sectors);
                         });

class CopyOracleOpenTest : public CopyOracleTest, public ::testing::WithParamInterface<Geometry> {};

TEST_P(CopyOracleOpenTest, BlockWrittenByTheToolsOpensByteForByte) {
    const Geometry& geometry = GetParam();
    MakeBlocks(3);
    std::string volume = dir.File("volume.img");
    ASSERT_TRUE(MakeVolume(geometry, volume));
    Tree corpus = ToolCorpus(geometry.sectorsPerCluster * kSectorSize);
    ASSERT_TRUE(CopyTreeIn(corpus, PcRoot("host"), volume, 0));
    WriteDriveSectors(kSlotSectors, ReadWholeFile(volume));

    ASSERT_EQ(manager.CopyBlockToDirectory(WPcRoot("open"), 1), 0);
    EXPECT_EQ(TreeDifferences(EngineDisplayTree(corpus), ReadHostTree(PcRoot("open"))), "");
    EXPECT_TRUE(frontEnd.warnings.empty());

    // A volume of a geometry we do not build opens, but save refuses it and leaves it as the
    // tools made it.
    FloppyFormat code = Format144M;
    ASSERT_EQ(manager.LoadBlockImage(1, &code), 0);
    // The tools' 1.2M volumes have smaller FATs than ours (or one sector per cluster).
    EXPECT_EQ(code == FormatOther, std::string(geometry.name).find("1200") != std::string::npos);
    if (code == FormatOther) {
        std::string before = Slot(1);
        EXPECT_EQ(manager.CopyDirectoryToBlock(WPcRoot("open"), 1, 1), BLK_NOT_FAT12);
        EXPECT_TRUE(Slot(1) == before);
    }
}

INSTANTIATE_TEST_SUITE_P(Tools,
                         CopyOracleOpenTest,
                         ::testing::ValuesIn(kGeometries),
                         [](const ::testing::TestParamInfo<Geometry>& info) { return GeometryName(info.param); });

}  // namespace
