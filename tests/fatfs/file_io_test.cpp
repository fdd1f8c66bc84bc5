// Reading and writing files as the block copies do: sizes around sector and cluster edges,
// a file that fills a floppy, reads and writes in pieces, sizes kept until close, and the
// direct multi-sector transfers of whole sectors.
#include <algorithm>
#include <cstring>

#include "engine_fixture.h"

namespace {

struct SizeCase {
    Floppy format;
    uint32_t size;
};

class RoundTripTest : public EngineTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(RoundTripTest, FileReadsBackAsWrittenWithAChainOfTheRightLength) {
    Format(GetParam().format);
    const uint32_t size = GetParam().size;
    std::string data = Pattern(size, size), back;
    ASSERT_EQ(WriteFile("\\DATA.BIN", data), FS_OK);
    ASSERT_EQ(ReadFile("\\DATA.BIN", &back), FS_OK);
    EXPECT_EQ(back.size(), data.size());
    EXPECT_TRUE(back == data);
    const uint32_t clusterBytes = 512 * layout.sectorsPerCluster;
    const uint32_t clusters = (size + clusterBytes - 1) / clusterBytes;
    // An empty file has no cluster; any other takes the first free ones, in one run.
    uint32_t first = Le16(RootEntry(image(), layout, 0) + 26);
    EXPECT_EQ(first, clusters > 0 ? 2u : 0u);
    EXPECT_EQ(Le32(RootEntry(image(), layout, 0) + 28), size);
    std::vector<uint32_t> chain = RawChain(image(), layout, first);
    ASSERT_EQ(chain.size(), clusters);
    for (uint32_t i = 0; i < clusters; ++i)
        EXPECT_EQ(chain[i], 2 + i);
    if (clusters > 0) {
        EXPECT_EQ(Fat12Entry(image(), layout, first + clusters - 1), 0xFFFu);
    }
    // The second FAT copy matches the first.
    EXPECT_EQ(std::memcmp(SectorAt(image(), layout.fatStart), SectorAt(image(), layout.fatStart + layout.fatSectors),
                          layout.fatSectors * 512),
              0);
    EXPECT_EQ(FreeSectors(), (layout.clusters - clusters) * layout.sectorsPerCluster);
}

INSTANTIATE_TEST_SUITE_P(Sizes,
                         RoundTripTest,
                         ::testing::Values(SizeCase{Floppy::k144, 0},
                                           SizeCase{Floppy::k144, 1},
                                           SizeCase{Floppy::k144, 511},
                                           SizeCase{Floppy::k144, 512},
                                           SizeCase{Floppy::k144, 513},
                                           SizeCase{Floppy::k144, 5 * 512 + 17},
                                           SizeCase{Floppy::k144, 1400000},
                                           SizeCase{Floppy::k144, 2847 * 512},
                                           SizeCase{Floppy::k720, 1025},
                                           SizeCase{Floppy::k720, 713 * 1024},
                                           SizeCase{Floppy::k120, 3 * 1024 + 512},
                                           SizeCase{Floppy::k120, 1185 * 1024}));

class FileIoTest : public EngineTest {};

TEST_F(FileIoTest, ReadingMoreThanTheFileHoldsReturnsTheRestThenNothing) {
    Format(Floppy::k144);
    std::string data = Pattern(1000, 3);
    ASSERT_EQ(WriteFile("\\F.BIN", data), FS_OK);
    ASSERT_EQ(engine.fsOpen("\\F.BIN", nullptr), FS_OK);
    std::string buffer(4000, '\0');
    uint32_t count = 300;
    ASSERT_EQ(engine.fsReadBytes(&buffer[0], &count), FS_OK);
    EXPECT_EQ(count, 300u);
    count = 4000;
    ASSERT_EQ(engine.fsReadBytes(&buffer[300], &count), FS_OK);
    EXPECT_EQ(count, 700u);
    EXPECT_EQ(buffer.substr(0, 1000), data);
    count = 4000;
    ASSERT_EQ(engine.fsReadBytes(&buffer[0], &count), FS_OK);
    EXPECT_EQ(count, 0u);
}

// Reads in pieces of every awkward size land each byte where one big read puts it.
TEST_F(FileIoTest, PiecewiseReadsMatchTheWholeFile) {
    Format(Floppy::k720);
    std::string data = Pattern(20000, 9);
    ASSERT_EQ(WriteFile("\\F.BIN", data), FS_OK);
    for (uint32_t piece : {1u, 100u, 511u, 512u, 513u, 1500u, 4096u}) {
        ASSERT_EQ(engine.fsOpen("\\F.BIN", nullptr), FS_OK);
        std::string back;
        std::string chunk(piece, '\0');
        for (;;) {
            uint32_t count = piece;
            ASSERT_EQ(engine.fsReadBytes(&chunk[0], &count), FS_OK);
            if (count == 0) break;
            back.append(chunk, 0, count);
        }
        EXPECT_TRUE(back == data) << "pieces of " << piece;
    }
}

TEST_F(FileIoTest, PiecewiseWritesMakeTheSameFileAsOneWrite) {
    Format(Floppy::k144);
    std::string data = Pattern(9000, 11);
    ASSERT_EQ(engine.fsCreate("\\PIECES.BIN", 0), FS_OK);
    size_t at = 0;
    for (uint32_t piece : {1u, 511u, 2u, 1024u, 700u, 300u, 4000u, 100000u}) {
        uint32_t count = static_cast<uint32_t>(std::min<size_t>(piece, data.size() - at));
        ASSERT_EQ(engine.fsWriteBytes(data.data() + at, &count), FS_OK);
        at += count;
    }
    ASSERT_EQ(at, data.size());
    ASSERT_EQ(engine.fsClose(), FS_OK);
    std::string back;
    ASSERT_EQ(ReadFile("\\PIECES.BIN", &back), FS_OK);
    EXPECT_TRUE(back == data);
    EXPECT_EQ(RawChain(image(), layout, 2).size(), 18u);
}

TEST_F(FileIoTest, SizeIsKeptInMemoryUntilClose) {
    Format(Floppy::k144);
    ASSERT_EQ(engine.fsCreate("\\GROW.TXT", 0), FS_OK);
    uint32_t count = 700;
    std::string data = Pattern(700, 1);
    ASSERT_EQ(engine.fsWriteBytes(data.data(), &count), FS_OK);
    FileInfo info{};
    ASSERT_EQ(engine.fsFileInfo(&info, kInfoRead), FS_OK);
    EXPECT_EQ(info.size, 700u);
    EXPECT_EQ(Le32(RootEntry(image(), layout, 0) + 28), 0u);
    ASSERT_EQ(engine.fsClose(), FS_OK);
    EXPECT_EQ(Le32(RootEntry(image(), layout, 0) + 28), 700u);
    EXPECT_EQ(engine.fsClose(), FS_NOT_OPEN);
}

TEST_F(FileIoTest, OpeningAnotherFileDropsAnUnclosedSize) {
    Format(Floppy::k144);
    ASSERT_EQ(engine.fsCreate("\\LOST.TXT", 0), FS_OK);
    uint32_t count = 5;
    ASSERT_EQ(engine.fsWriteBytes("hello", &count), FS_OK);
    ASSERT_EQ(engine.fsCreate("\\NEXT.TXT", 0), FS_OK);
    ASSERT_EQ(engine.fsClose(), FS_OK);
    EXPECT_EQ(Le32(RootEntry(image(), layout, 0) + 28), 0u);
}

TEST_F(FileIoTest, ClosingAFileThatWasOnlyReadWritesNothing) {
    Format(Floppy::k144);
    ASSERT_EQ(WriteFile("\\R.TXT", "read me"), FS_OK);
    std::vector<uint8_t> before(image(), image() + 3072 * 512);
    std::string back;
    ASSERT_EQ(ReadFile("\\R.TXT", &back), FS_OK);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), image()));
}

TEST_F(FileIoTest, DirectoriesAndTheRootCannotBeReadOrWritten) {
    Format(Floppy::k144);
    ASSERT_EQ(MakeDir("\\DIR"), FS_OK);
    uint8_t buffer[8] = {};
    uint32_t count = sizeof(buffer);
    ASSERT_EQ(engine.fsOpen("\\DIR", nullptr), FS_IS_DIRECTORY);
    EXPECT_EQ(engine.fsReadBytes(buffer, &count), FS_BAD_NAME);
    EXPECT_EQ(engine.fsWriteBytes(buffer, &count), FS_BAD_NAME);
    // The root opens as a directory with nothing open, by either separator.
    ASSERT_EQ(engine.fsOpen("/", u"/"), FS_IS_DIRECTORY);
    EXPECT_EQ(engine.fsClose(), FS_NOT_OPEN);
    ASSERT_EQ(engine.fsOpen("\\", u"\\"), FS_IS_DIRECTORY);
    EXPECT_EQ(engine.fsReadBytes(buffer, &count), FS_NOT_OPEN);
    EXPECT_EQ(engine.fsWriteBytes(buffer, &count), FS_NOT_OPEN);
    EXPECT_EQ(engine.fsFileInfo(nullptr, kInfoRead), FS_NOT_OPEN);
}

TEST_F(FileIoTest, FileInformationIsWrittenFieldByFieldAndReadBack) {
    Format(Floppy::k144);
    ASSERT_EQ(engine.fsCreate("\\DATED.TXT", 0), FS_OK);
    FileInfo set{0xFFFFFFFF,
                 FatDate(2024, 2, 29),
                 FatTime(23, 59, 58),
                 FatDate(1999, 12, 31),
                 FatTime(0, 0, 2),
                 FatDate(2020, 1, 1),
                 0x1234,
                 0x21};
    ASSERT_EQ(engine.fsFileInfo(&set, kInfoModify), FS_OK);
    // A second modify that leaves everything unchanged but the write time.
    FileInfo partial{0xFFFFFFFF, 0xFFFF, FatTime(12, 30, 10), 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFF};
    ASSERT_EQ(engine.fsFileInfo(&partial, kInfoModify), FS_OK);
    ASSERT_EQ(engine.fsClose(), FS_OK);
    ASSERT_EQ(engine.fsOpen("\\DATED.TXT", nullptr), FS_OK);
    FileInfo got{};
    ASSERT_EQ(engine.fsFileInfo(&got, kInfoRead), FS_OK);
    EXPECT_EQ(got.size, 0u);
    EXPECT_EQ(got.writeDate, FatDate(2024, 2, 29));
    EXPECT_EQ(got.writeTime, FatTime(12, 30, 10));
    EXPECT_EQ(got.createDate, FatDate(1999, 12, 31));
    EXPECT_EQ(got.createTime, FatTime(0, 0, 2));
    EXPECT_EQ(got.accessDate, FatDate(2020, 1, 1));
    EXPECT_EQ(got.accessTime, 0);
    EXPECT_EQ(got.attribute, 0x21);
    EXPECT_EQ(Le16(RootEntry(image(), layout, 0) + 24), (2024 - 1980) * 512 + 2 * 32 + 29);
    EXPECT_EQ(Le16(RootEntry(image(), layout, 0) + 22), 12 * 2048 + 30 * 32 + 5);
}

TEST_F(FileIoTest, ModifyingTheSizeWritesItAtOnce) {
    Format(Floppy::k144);
    ASSERT_EQ(WriteFile("\\S.TXT", Pattern(2000, 1)), FS_OK);
    ASSERT_EQ(engine.fsOpen("\\S.TXT", nullptr), FS_OK);
    FileInfo info{1000, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0, 0xFF};
    ASSERT_EQ(engine.fsFileInfo(&info, kInfoModify), FS_OK);
    EXPECT_EQ(Le32(RootEntry(image(), layout, 0) + 28), 1000u);
    std::string back(3000, '\0');
    uint32_t count = 3000;
    ASSERT_EQ(engine.fsReadBytes(&back[0], &count), FS_OK);
    EXPECT_EQ(count, 1000u);
}

TEST_F(FileIoTest, VolumeLabelIsMadeLikeTheDosDisksAndRefusesData) {
    Format(Floppy::k144);
    ASSERT_EQ(engine.fsCreate("\\MYDISK", 0), FS_OK);
    FileInfo info{0xFFFFFFFF,
                  FatDate(2024, 5, 1),
                  FatTime(8, 0, 0),
                  FatDate(2024, 5, 1),
                  FatTime(8, 0, 0),
                  FatDate(2024, 5, 1),
                  0,
                  0x08};
    ASSERT_EQ(engine.fsFileInfo(&info, kInfoModify), FS_OK);
    ASSERT_EQ(engine.fsClose(), FS_OK);
    EXPECT_EQ(RootEntry(image(), layout, 0)[11], 0x08);
    ASSERT_EQ(engine.fsOpen("\\MYDISK", nullptr), FS_OK);
    uint8_t byte = 0;
    uint32_t count = 1;
    EXPECT_EQ(engine.fsReadBytes(&byte, &count), FS_BAD_NAME);
    EXPECT_EQ(engine.fsWriteBytes(&byte, &count), FS_BAD_NAME);
    EXPECT_EQ(engine.fsErase("\\MYDISK"), FS_BAD_NAME);
    EXPECT_EQ(RootEntry(image(), layout, 0)[0], 'M');
}

TEST_F(FileIoTest, CreatingAnExistingNameInMode0ChangesNothing) {
    Format(Floppy::k144);
    ASSERT_EQ(WriteFile("\\KEEP.TXT", "original"), FS_OK);
    ASSERT_EQ(MakeDir("\\SUB"), FS_OK);
    std::vector<uint8_t> before(image(), image() + 3072 * 512);
    EXPECT_EQ(engine.fsCreate("\\KEEP.TXT", 0), FS_EXISTS);
    EXPECT_EQ(engine.fsCreate("\\SUB", 0), FS_IS_DIRECTORY);
    EXPECT_EQ(engine.fsCreate("\\", 0), FS_IS_DIRECTORY);
    EXPECT_EQ(engine.fsCreateDir("\\SUB"), FS_EXISTS);
    EXPECT_EQ(engine.fsCreateDir("\\KEEP.TXT"), FS_EXISTS);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), image()));
}

TEST_F(FileIoTest, CreatingInMode1ReplacesTheFileAndFreesItsChain) {
    Format(Floppy::k144);
    ASSERT_EQ(WriteFile("\\OLD.TXT", Pattern(5000, 1)), FS_OK);
    ASSERT_EQ(engine.fsCreate("\\OLD.TXT", 1), FS_OK);
    uint32_t count = 3;
    ASSERT_EQ(engine.fsWriteBytes("new", &count), FS_OK);
    ASSERT_EQ(engine.fsClose(), FS_OK);
    std::string back;
    ASSERT_EQ(ReadFile("\\OLD.TXT", &back), FS_OK);
    EXPECT_EQ(back, "new");
    EXPECT_EQ(List("\\*", u"\\*").size(), 1u);
    EXPECT_EQ(FreeSectors(), 2846u);
}

TEST_F(FileIoTest, EraseFreesTheChainAndTheEntry) {
    Format(Floppy::k144);
    ASSERT_EQ(WriteFile("\\A.BIN", Pattern(3000, 1)), FS_OK);
    ASSERT_EQ(WriteFile("\\B.BIN", Pattern(3000, 2)), FS_OK);
    ASSERT_EQ(engine.fsErase("\\A.BIN"), FS_OK);
    EXPECT_EQ(RootEntry(image(), layout, 0)[0], 0xE5);
    for (uint32_t c = 2; c <= 7; ++c)
        EXPECT_EQ(Fat12Entry(image(), layout, c), 0u) << c;
    EXPECT_EQ(Fat12Entry(image(), layout, 8), 9u);
    EXPECT_EQ(engine.fsOpen("\\A.BIN", nullptr), FS_NOT_FOUND);
    EXPECT_EQ(engine.fsErase("\\A.BIN"), FS_NOT_FOUND);
    std::string back;
    ASSERT_EQ(ReadFile("\\B.BIN", &back), FS_OK);
    EXPECT_EQ(back, Pattern(3000, 2));
    // The freed clusters are the first ones a new file takes; its entry goes to the end of
    // the directory while there is room there.
    ASSERT_EQ(WriteFile("\\C.BIN", Pattern(600, 3)), FS_OK);
    EXPECT_EQ(RawChain(image(), layout, 2), (std::vector<uint32_t>{2, 3}));
    EXPECT_EQ(RootEntry(image(), layout, 2)[0], 'C');
    EXPECT_EQ(RootEntry(image(), layout, 0)[0], 0xE5);
}

TEST_F(FileIoTest, EraseRefusesDirectoriesAndPatterns) {
    Format(Floppy::k144);
    ASSERT_EQ(MakeDir("\\DIR"), FS_OK);
    ASSERT_EQ(WriteFile("\\A.TXT", "a"), FS_OK);
    EXPECT_EQ(engine.fsErase("\\DIR"), FS_IS_DIRECTORY);
    EXPECT_EQ(engine.fsErase("\\"), FS_IS_DIRECTORY);
    EXPECT_EQ(engine.fsErase("\\*"), FS_BAD_NAME);
    EXPECT_EQ(List("\\*", u"\\*").size(), 2u);
}

class FullVolumeTest : public EngineTest {};

TEST_F(FullVolumeTest, FillingTheDataAreaEndsInDiskFull) {
    Format(Floppy::k144);
    ASSERT_EQ(WriteFile("\\BIG.BIN", Pattern(2840 * 512, 1)), FS_OK);
    ASSERT_EQ(engine.fsCreate("\\OVER.BIN", 0), FS_OK);
    std::string rest = Pattern(8 * 512, 2);
    uint32_t count = static_cast<uint32_t>(rest.size());
    // The first cluster fits; the 7 more that the rest needs do not (6 are left), so none
    // of them is taken.
    EXPECT_EQ(engine.fsWriteBytes(rest.data(), &count), FS_DISK_FULL);
    EXPECT_EQ(count, 512u);
    EXPECT_EQ(FreeSectors(), 6u);
}

TEST_F(FullVolumeTest, AllocatingOnAFullVolumeLeavesTheFatUntouched) {
    Format(Floppy::k144);
    ASSERT_EQ(WriteFile("\\ALL.BIN", Pattern(2847 * 512, 1)), FS_OK);
    ASSERT_EQ(FreeSectors(), 0u);
    std::vector<uint8_t> before(image(), image() + 3072 * 512);
    ASSERT_EQ(engine.fsCreate("\\MORE.BIN", 0), FS_OK);
    uint32_t count = 1;
    EXPECT_EQ(engine.fsWriteBytes("x", &count), FS_DISK_FULL);
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(std::equal(image() + 512, image() + 19 * 512, before.begin() + 512));
    EXPECT_EQ(engine.fsCreateDir("\\NEWDIR"), FS_DISK_FULL);
}

// Extending never wraps around: free clusters before a file's last cluster are not used.
TEST_F(FullVolumeTest, ExtendingWithOnlyLowerClustersFreeIsDiskFull) {
    Format(Floppy::k144);
    ASSERT_EQ(WriteFile("\\LOW.BIN", Pattern(10 * 512, 1)), FS_OK);
    ASSERT_EQ(WriteFile("\\HIGH.BIN", Pattern(2837 * 512, 2)), FS_OK);
    ASSERT_EQ(engine.fsErase("\\LOW.BIN"), FS_OK);
    ASSERT_EQ(FreeSectors(), 10u);
    ASSERT_EQ(engine.fsOpen("\\HIGH.BIN", nullptr), FS_OK);
    std::string longer = Pattern(2838 * 512, 3);
    uint32_t count = static_cast<uint32_t>(longer.size());
    EXPECT_EQ(engine.fsWriteBytes(longer.data(), &count), FS_DISK_FULL);
    EXPECT_EQ(count, 2837u * 512);
    EXPECT_EQ(FreeSectors(), 10u);
    // A new file still gets them.
    EXPECT_EQ(WriteFile("\\NEW.BIN", Pattern(10 * 512, 4)), FS_OK);
}

// Free space in pieces: the file is written in as many runs as it takes and reads back whole.
TEST_F(FullVolumeTest, FragmentedFreeSpaceIsUsedRunByRun) {
    Format(Floppy::k144);
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(WriteFile("\\F" + std::to_string(i), Pattern(3 * 512, i)), FS_OK);
    for (int i = 0; i < 40; i += 2)
        ASSERT_EQ(engine.fsErase(("\\F" + std::to_string(i)).c_str()), FS_OK);
    std::string data = Pattern(2000 * 512 + 99, 77), back;
    ASSERT_EQ(WriteFile("\\SPREAD.BIN", data), FS_OK);
    ASSERT_EQ(ReadFile("\\SPREAD.BIN", &back), FS_OK);
    EXPECT_TRUE(back == data);
    for (int i = 1; i < 40; i += 2) {
        ASSERT_EQ(ReadFile("\\F" + std::to_string(i), &back), FS_OK);
        EXPECT_TRUE(back == Pattern(3 * 512, i)) << i;
    }
    uint32_t first = Le16(RootEntry(image(), layout, 0) + 26);
    std::vector<uint32_t> chain = RawChain(image(), layout, first);
    EXPECT_EQ(chain.size(), 2001u);
    EXPECT_EQ(chain[0], 2u);
    EXPECT_EQ(chain[3], 8u);  // 2..4, then the next hole at 8..10
    ASSERT_EQ(engine.fsErase("\\SPREAD.BIN"), FS_OK);
    EXPECT_EQ(FreeSectors(), 2847u - 20 * 3);
}

// Whole sectors go straight between the caller's buffer and the disk, many at a time.
TEST_F(FileIoTest, WholeSectorsMoveInMultiSectorTransfers) {
    Format(Floppy::k144);
    ASSERT_EQ(MoveToDrive(), FS_OK);
    std::string data = Pattern(2800 * 512, 5);
    drive->writes = 0;
    ASSERT_EQ(WriteFile("\\BULK.BIN", data), FS_OK);
    EXPECT_EQ(drive->largestTransferSectors, 255u);
    const int dataWrites = drive->writes;
    drive->reads = 0;
    std::string back;
    ASSERT_EQ(ReadFile("\\BULK.BIN", &back), FS_OK);
    EXPECT_TRUE(back == data);
    // 2800 sectors in transfers of at most 255, plus directory and FAT work.
    EXPECT_LT(drive->reads, 40);
    EXPECT_LT(dataWrites, 150);
}

}  // namespace
