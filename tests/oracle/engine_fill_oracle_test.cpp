// The engine filling a volume made by mkfs.fat or mformat to the last root entry and to the last
// cluster, judged by fsck.fat, mdir and mcopy.
#include <cstdio>

#include "oracle/engine_write_oracle.h"

namespace {

class EngineFillOracleTest : public EngineWriteOracleTest {
protected:
    EngineItem RootFile(const std::string& shortName, const std::string& longName, size_t size) {
        EngineItem item;
        item.path = "\\" + shortName;
        item.longName = longName;
        item.expectedPath = longName.empty() ? shortName : longName;
        item.bytes = PatternBytes(size, static_cast<unsigned>(written.size()) + 1);
        item.date = FatDate(2010, 10, 10);
        item.time = FatTime(10, 10, 10);
        return item;
    }

    // Writes items made by `make` (1, 2, 3, ...) until one fails; returns that status.
    template <typename Make>
    FsStatus WriteUntilFailure(Make make, int limit) {
        for (int i = 1; i <= limit; ++i) {
            EngineItem item = make(i);
            FsStatus status = volume.Write(item);
            if (status != FS_OK) return status;
            written.push_back(item);
        }
        return FS_OK;
    }

    std::vector<EngineItem> written;
};

TEST_P(EngineFillOracleTest, ShortNamedFilesFillEveryRootEntry) {
    ASSERT_TRUE(MakeVolume(GetParam(), image));
    ASSERT_NO_FATAL_FAILURE(Mount());
    const int rootEntries = static_cast<int>(GetParam().rootEntries);

    FsStatus last = WriteUntilFailure(
        [&](int i) {
            char name[16];
            std::snprintf(name, sizeof name, "F%03d.TXT", i);
            return RootFile(name, "", 1);
        },
        rootEntries + 1);

    EXPECT_EQ(last, FS_ROOT_FULL);
    EXPECT_EQ(written.size(), static_cast<size_t>(rootEntries - 1));  // the label takes one entry
    Save();
    ExpectFsckClean(static_cast<uint32_t>(rootEntries), ExpectedClusters(written, ClusterBytes()));
    ExpectMdirShows(written);
    ExpectMcopyReads(ExpectedTree(written));
}

// Four entries per file never fit the last three root entries: the long-named file that does not
// fit must be refused without touching the data area, and short names then take the last entries.
TEST_P(EngineFillOracleTest, LongNamedFilesFillTheRootWithoutSpillingPastIt) {
    ASSERT_TRUE(MakeVolume(GetParam(), image));
    ASSERT_NO_FATAL_FAILURE(Mount());
    const int freeEntries = static_cast<int>(GetParam().rootEntries) - 1;

    FsStatus longStatus = WriteUntilFailure(
        [&](int i) {
            char shortName[32];
            char longName[48];
            std::snprintf(shortName, sizeof shortName, "LNF~%03d.TXT", i);
            std::snprintf(longName, sizeof longName, "Long Named File Number %03d.txt", i);
            return RootFile(shortName, longName, 700);
        },
        freeEntries);
    size_t longFiles = written.size();
    FsStatus shortStatus = WriteUntilFailure(
        [&](int i) {
            char name[16];
            std::snprintf(name, sizeof name, "S%03d.TXT", i);
            return RootFile(name, "", 300);
        },
        freeEntries);

    EXPECT_EQ(longStatus, FS_ROOT_FULL);
    EXPECT_EQ(longFiles, static_cast<size_t>(freeEntries / 4));
    EXPECT_EQ(shortStatus, FS_ROOT_FULL);
    EXPECT_EQ(written.size() - longFiles, static_cast<size_t>(freeEntries % 4));
    Save();
    ExpectFsckClean(static_cast<uint32_t>(written.size()) + 1, ExpectedClusters(written, ClusterBytes()));
    ExpectMdirShows(written);
    ExpectMcopyReads(ExpectedTree(written));
}

// Files sized to take every free cluster: the volume is then full, a further write fails with
// FS_DISK_FULL, and the file that could not grow stays a clean empty file.
TEST_P(EngineFillOracleTest, FilesTakeEveryClusterThenTheDiskIsFull) {
    ASSERT_TRUE(MakeVolume(GetParam(), image));
    const uint32_t clusterBytes = ClusterBytes();
    const uint32_t freeClusters = static_cast<uint32_t>(ToolFreeBytes() / clusterBytes);
    ASSERT_NO_FATAL_FAILURE(Mount());
    EngineItem folder = RootFile("FILLIN~1", "Filling Directory", 0);
    folder.directory = true;
    folder.attribute = 0x10;
    ASSERT_EQ(volume.Write(folder), FS_OK);
    written.push_back(folder);
    const uint32_t dataClusters = freeClusters - 1;
    const uint32_t parts[3] = {dataClusters / 3, dataClusters / 3, dataClusters - 2 * (dataClusters / 3)};
    const uint32_t shortBy[3] = {7, 300, 0};  // bytes left unused in each file's last cluster
    const char* const names[3] = {"One", "Two", "Three"};

    for (int i = 0; i < 3; ++i) {
        EngineItem part =
            RootFile("PART~" + std::to_string(i + 1) + ".BIN", std::string("Part ") + names[i] + " Of The Filling.bin",
                     size_t{parts[i]} * clusterBytes - shortBy[i]);
        part.path = "\\FILLIN~1" + part.path;
        part.expectedPath = "Filling Directory/" + part.expectedPath;
        ASSERT_EQ(volume.Write(part), FS_OK) << part.path;
        written.push_back(part);
    }
    DiskInfo info{};
    ASSERT_EQ(volume.engine.fsDiskQuery(&info), FS_OK);
    EXPECT_EQ(info.freeSectors, 0u);
    EngineItem extra = RootFile("EXTRA.TXT", "", 1);
    extra.path = "\\FILLIN~1\\EXTRA.TXT";
    extra.expectedPath = "Filling Directory/EXTRA.TXT";
    EXPECT_EQ(volume.Write(extra), FS_DISK_FULL);
    EXPECT_EQ(volume.engine.fsClose(), FS_OK);
    extra.bytes.clear();
    written.push_back(extra);

    Save();
    ExpectFsckClean(static_cast<uint32_t>(written.size()) + 1, freeClusters);
    MdirListing listing = RunMdir(image);
    EXPECT_EQ(listing.exitCode, 0) << listing.output;
    EXPECT_EQ(listing.bytesFree, 0u) << listing.output;
    ExpectMcopyReads(ExpectedTree(written));
}

// A write larger than the free space fails with FS_DISK_FULL; erasing the file then gives back
// every cluster, and a file of exactly the free space fits.
TEST_P(EngineFillOracleTest, WriteLargerThanTheFreeSpaceFailsAndEraseUndoesIt) {
    ASSERT_TRUE(MakeVolume(GetParam(), image));
    const uint64_t freeBytes = ToolFreeBytes();
    ASSERT_NO_FATAL_FAILURE(Mount());
    EngineItem tooBig = RootFile("TOOBIG.BIN", "", static_cast<size_t>(freeBytes) + ClusterBytes());

    EXPECT_EQ(volume.Write(tooBig), FS_DISK_FULL);
    EXPECT_EQ(volume.engine.fsClose(), FS_OK);
    ASSERT_EQ(volume.engine.fsErase("\\TOOBIG.BIN"), FS_OK);

    DiskInfo info{};
    ASSERT_EQ(volume.engine.fsDiskQuery(&info), FS_OK);
    EXPECT_EQ(uint64_t{info.freeSectors} * kSectorSize, freeBytes);
    EngineItem fits = RootFile("FITS.BIN", "", static_cast<size_t>(freeBytes));
    ASSERT_EQ(volume.Write(fits), FS_OK);
    written.push_back(fits);
    Save();
    ExpectFsckClean(2, static_cast<uint32_t>(freeBytes / ClusterBytes()));
    ExpectMcopyReads(ExpectedTree(written));
}

INSTANTIATE_TEST_SUITE_P(Geometries,
                         EngineFillOracleTest,
                         ::testing::ValuesIn(kGeometries),
                         [](const ::testing::TestParamInfo<Geometry>& info) { return GeometryName(info.param); });

}  // namespace
