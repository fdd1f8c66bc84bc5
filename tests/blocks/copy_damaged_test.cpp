// Opening damaged blocks: directories that point back at an ancestor or whose chain runs in a
// circle, file chains that are cut, loop or share clusters, and FATs full of noise. Each open
// ends, with a status or the path-limit warning, and writes a bounded amount to the PC.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "fatfs/byte_order.h"
#include "tests/blocks/copy_fixture.h"

namespace fs = std::filesystem;

namespace {

class CopyDamagedTest : public CopyTest {
protected:
    void SetUp() override {
        MakeBlocks(2);
        LoadVolume(1);
    }

    uint8_t* Image() { return sectors.blockImage(); }

    uint32_t FirstCluster(const std::string& path) {
        engine.fsOpen(path.c_str(), nullptr);
        return engine.openFile().firstCluster;
    }

    // Points the entry at path to another first cluster.
    void SetEntryCluster(const std::string& path, uint32_t cluster) {
        FsStatus status = engine.fsOpen(path.c_str(), nullptr);
        ASSERT_TRUE(status == FS_OK || status == FS_IS_DIRECTORY) << path;
        uint8_t* entry = Image() + engine.openFile().entrySector * kSectorSize + engine.openFile().entryIndex * 32u;
        Store16(entry + 20, static_cast<uint16_t>(cluster >> 16));
        Store16(entry + 26, static_cast<uint16_t>(cluster));
    }

    // Sets a FAT12 entry in both copies of the FAT.
    void SetFat(uint32_t cluster, uint16_t value) {
        const VolumeState& v = engine.volume();
        for (uint32_t copy = 0; copy < 2; ++copy) {
            uint8_t* p = Image() + (v.fatStart + copy * v.fatSize) * kSectorSize + cluster * 3 / 2;
            uint16_t old = Load16(p);
            uint16_t updated = (cluster & 1) ? static_cast<uint16_t>((old & 0x000F) | (value << 4))
                                             : static_cast<uint16_t>((old & 0xF000) | (value & 0x0FFF));
            Store16(p, updated);
        }
    }

    int Open() { return manager.CopyBlockToDirectory(WPcRoot("out"), 1); }
};

TEST_F(CopyDamagedTest, SubdirectoriesPointingAtAnAncestorAreWarnedAboutAndSkipped) {
    PutDirectory("\\A");
    PutFile("\\A\\F.TXT", "f");
    PutDirectory("\\A\\B");
    PutDirectory("\\C");
    PutFile("\\Z.TXT", "z");
    SetEntryCluster("\\A\\B", FirstCluster("\\A"));
    SetEntryCluster("\\C", 0);  // cluster 0 in a subdirectory entry is the root
    StoreVolume(1);
    EXPECT_EQ(Open(), 0);
    EXPECT_EQ(frontEnd.warnings, (std::vector<std::wstring>{kNameTooLong, kNameTooLong}));
    EXPECT_EQ(ReadPcTree(PcRoot("out")), (PcTree{{"A", kDirMark}, {"A/F.TXT", "f"}, {"Z.TXT", "z"}}));
}

TEST_F(CopyDamagedTest, ManyEntriesPointingBackDoNotMultiplyTheWork) {
    PutDirectory("\\A");
    for (int i = 0; i < 6; ++i)
        PutDirectory("\\A\\B" + std::to_string(i));
    uint32_t a = FirstCluster("\\A");
    for (int i = 0; i < 6; ++i)
        SetEntryCluster("\\A\\B" + std::to_string(i), a);
    StoreVolume(1);
    EXPECT_EQ(Open(), 0);
    EXPECT_EQ(frontEnd.warnings.size(), 6u);
    EXPECT_EQ(ReadPcTree(PcRoot("out")), (PcTree{{"A", kDirMark}}));
}

TEST_F(CopyDamagedTest, CrossLinkedDirectoriesAreCopiedOnce) {
    PutDirectory("\\ONE");
    PutFile("\\ONE\\X.TXT", "x");
    PutDirectory("\\TWO");
    SetEntryCluster("\\TWO", FirstCluster("\\ONE"));
    StoreVolume(1);
    EXPECT_EQ(Open(), 0);
    EXPECT_EQ(frontEnd.warnings.size(), 1u);
    EXPECT_EQ(ReadPcTree(PcRoot("out")), (PcTree{{"ONE", kDirMark}, {"ONE/X.TXT", "x"}}));
}

TEST_F(CopyDamagedTest, DirectoryChainRunningInACircleEndsWithADamagedChainStatus) {
    PutFile("\\BEFORE.TXT", "b");
    PutDirectory("\\D");
    // "." and ".." and 14 files fill the directory's one cluster: no end marker stops the walk.
    PcTree expected = {{"BEFORE.TXT", "b"}, {"D", kDirMark}};
    for (int i = 0; i < 14; ++i) {
        std::string name = "F" + std::to_string(i) + ".TXT";
        PutFile("\\D\\" + name, name);
        expected["D/" + name] = name;
    }
    PutFile("\\AFTER.TXT", "a");
    uint32_t d = FirstCluster("\\D");
    SetFat(d, static_cast<uint16_t>(d));
    StoreVolume(1);
    EXPECT_EQ(Open(), FS_END_OF_CHAIN);
    EXPECT_TRUE(frontEnd.warnings.empty());
    EXPECT_EQ(ReadPcTree(PcRoot("out")), expected);
}

TEST_F(CopyDamagedTest, FileChainCutShortOrRunningIntoAFreeClusterGivesWhatTheChainHolds) {
    std::string bytes = TestBytes(3000, 1);
    PutFile("\\CUT.BIN", bytes);
    PutFile("\\NEXT.TXT", "n");
    uint32_t first = FirstCluster("\\CUT.BIN");
    std::string whole(reinterpret_cast<const char*>(Image()), kBlockImageSize);
    for (uint16_t next : {uint16_t{0xFFF}, uint16_t{0}}) {  // an end mark; a free cluster
        SCOPED_TRACE(next);
        std::memcpy(Image(), whole.data(), kBlockImageSize);
        SetFat(first, next);
        StoreVolume(1);
        fs::remove_all(PcRoot("out"));
        EXPECT_EQ(Open(), 0);
        EXPECT_EQ(ReadPcTree(PcRoot("out")), (PcTree{{"CUT.BIN", bytes.substr(0, 512)}, {"NEXT.TXT", "n"}}));
    }
}

TEST_F(CopyDamagedTest, LoopingFileChainEndsWithinTheFileSize) {
    PutFile("\\LOOP.BIN", TestBytes(200000, 2));
    uint32_t first = FirstCluster("\\LOOP.BIN");
    SetFat(first + 1, static_cast<uint16_t>(first));
    StoreVolume(1);
    EXPECT_EQ(Open(), 0);
    // The size on the entry bounds the read; the two clusters of the loop repeat up to it.
    std::string copied = ReadPcTree(PcRoot("out")).at("LOOP.BIN");
    ASSERT_EQ(copied.size(), 200000u);
    EXPECT_EQ(copied.substr(0, 1024), TestBytes(200000, 2).substr(0, 1024));
    EXPECT_EQ(copied.substr(198656, 1024), copied.substr(0, 1024));
}

TEST_F(CopyDamagedTest, CrossLinkedFilesBothArriveWithTheSharedBytes) {
    std::string one = TestBytes(2000, 3);
    PutFile("\\ONE.BIN", one);
    PutFile("\\TWO.BIN", TestBytes(700, 4));
    SetEntryCluster("\\TWO.BIN", FirstCluster("\\ONE.BIN"));
    StoreVolume(1);
    EXPECT_EQ(Open(), 0);
    EXPECT_EQ(ReadPcTree(PcRoot("out")), (PcTree{{"ONE.BIN", one}, {"TWO.BIN", one.substr(0, 700)}}));
}

TEST_F(CopyDamagedTest, NoiseInTheFatAndTheDirectoriesNeverRunsAway) {
    PutDirectory("\\MYDOCU~1", u"My Documents");
    PutDirectory("\\MYDOCU~1\\INNER");
    for (int i = 0; i < 20; ++i) {
        PutFile("\\MYDOCU~1\\F" + std::to_string(i) + ".BIN", TestBytes(1500 + i * 700, i));
        PutFile("\\MYDOCU~1\\INNER\\G" + std::to_string(i) + ".BIN", TestBytes(900, i));
    }
    StoreVolume(1);
    std::string clean(reinterpret_cast<const char*>(Image()), kBlockImageSize);
    const VolumeState v = engine.volume();
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        std::memcpy(Image(), clean.data(), kBlockImageSize);
        std::string noise = TestBytes(4096, seed);
        // Scribble over entries of the FAT's used part and over the data area's directories.
        for (size_t i = 0; i + 1 < noise.size(); i += 16) {
            uint32_t fatByte = static_cast<uint8_t>(noise[i]) % 120;
            Image()[v.fatStart * kSectorSize + fatByte] = static_cast<uint8_t>(noise[i + 1]);
        }
        for (size_t i = 0; i + 3 < 256; i += 4) {
            uint32_t offset = (v.dataStart + static_cast<uint8_t>(noise[i]) % 8) * kSectorSize +
                              (static_cast<uint8_t>(noise[i + 1]) % 16) * 32 + 26;
            Image()[offset] = static_cast<uint8_t>(noise[i + 2]) % 64;
        }
        StoreVolume(1);
        frontEnd.warnings.clear();
        fs::remove_all(PcRoot("out"));
        Open();  // whatever it ends with, it ends
        EXPECT_LT(frontEnd.warnings.size(), 200u);
        size_t bytes = 0, entries = 0;
        for (const auto& item : ReadPcTree(PcRoot("out"))) {
            bytes += item.second.size();
            ++entries;
        }
        EXPECT_LT(entries, 2000u);
        EXPECT_LT(bytes, 2u * kBlockImageSize * 40);
    }
}

}  // namespace
