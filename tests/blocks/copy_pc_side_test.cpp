// The PC side of copying: short aliases, listing and case-insensitive finding, directory paths
// and emptying, the existing-file modes, attributes, and times through local time.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "blocks/pc_fs.h"
#include "blocks/short_alias.h"
#include "disk/pc_file.h"
#include "disk/wide_path.h"
#include "fatfs/fat_time.h"
#include "support/temp_dir.h"
#include "tests/blocks/copy_fixture.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include "tests/settings/scoped_env.h"
#endif

namespace fs = std::filesystem;

namespace {

// --- Short aliases -------------------------------------------------------------------------

TEST(ShortAlias, EightDotThreeNamesNeedNoneInAnyCase) {
    EXPECT_TRUE(FitsShortName(L"README.TXT"));
    EXPECT_TRUE(FitsShortName(L"readme.txt"));
    EXPECT_TRUE(FitsShortName(L"A"));
    EXPECT_TRUE(FitsShortName(L"FILE-1_X.{}~"));
    EXPECT_FALSE(FitsShortName(L"ABCDEFGHI"));
    EXPECT_FALSE(FitsShortName(L"A.TEXT"));
    EXPECT_FALSE(FitsShortName(L"A.B.C"));
    EXPECT_FALSE(FitsShortName(L".profile"));
    EXPECT_FALSE(FitsShortName(L"NAME."));
    EXPECT_FALSE(FitsShortName(L"MY FILE"));
    EXPECT_FALSE(FitsShortName(L"A+B.TXT"));
    EXPECT_FALSE(FitsShortName(L"caf\u00e9.txt"));
    EXPECT_EQ(MakeShortAliases({L"readme.txt", L"KEEP.ME"}), (std::vector<std::wstring>{L"", L""}));
}

TEST(ShortAlias, LongNamesAreCutAndCountedUpInNameOrder) {
    std::vector<std::wstring> names = {L"My Document 3.txt", L"My Document 1.txt", L"My Document 2.txt"};
    EXPECT_EQ(MakeShortAliases(names), (std::vector<std::wstring>{L"MYDOCU~3.TXT", L"MYDOCU~1.TXT", L"MYDOCU~2.TXT"}));
}

TEST(ShortAlias, TenthAliasShortensTheBaseToKeepEightCharacters) {
    std::vector<std::wstring> names;
    for (int i = 0; i < 11; ++i)
        names.push_back(L"Long Name " + std::to_wstring(100 + i) + L".text");
    std::vector<std::wstring> aliases = MakeShortAliases(names);
    EXPECT_EQ(aliases[0], L"LONGNA~1.TEX");
    EXPECT_EQ(aliases[8], L"LONGNA~9.TEX");
    EXPECT_EQ(aliases[9], L"LONGN~10.TEX");
    EXPECT_EQ(aliases[10], L"LONGN~11.TEX");
}

TEST(ShortAlias, InvalidCharactersDotsAndSpacesFollowTheWindowsRules) {
    EXPECT_EQ(MakeShortAliases({L"a+b=c[1].txt"}), (std::vector<std::wstring>{L"A_B_C_~1.TXT"}));
    EXPECT_EQ(MakeShortAliases({L".bashrc"}), (std::vector<std::wstring>{L"BASHRC~1"}));
    EXPECT_EQ(MakeShortAliases({L"archive.tar.gz"}), (std::vector<std::wstring>{L"ARCHIV~1.GZ"}));
    EXPECT_EQ(MakeShortAliases({L"x y.html"}), (std::vector<std::wstring>{L"XY~1.HTM"}));
    EXPECT_EQ(MakeShortAliases({L"caf\u00e9 men\u00fc"}), (std::vector<std::wstring>{L"CAF_ME~1"}));
    EXPECT_EQ(MakeShortAliases({L"  .txt"}), (std::vector<std::wstring>{L"_~1.TXT"}));
}

TEST(ShortAlias, AliasesAvoidNamesAlreadyTakenInTheDirectory) {
    // A real file called MYDOCU~1.TXT keeps its name; the long name moves on to ~2.
    std::vector<std::wstring> aliases = MakeShortAliases({L"My Document.txt", L"MYDOCU~1.TXT"});
    EXPECT_EQ(aliases, (std::vector<std::wstring>{L"MYDOCU~2.TXT", L""}));
    // Names a block cannot tell apart: the second in order gets an alias.
    EXPECT_EQ(MakeShortAliases({L"readme.txt", L"README.TXT"}), (std::vector<std::wstring>{L"README~1.TXT", L""}));
    EXPECT_EQ(MakeShortAliases({L"Program Files"}, {L"PROGRA~1"}), (std::vector<std::wstring>{L"PROGRA~2"}));
}

// --- Local time ----------------------------------------------------------------------------

TEST(PcTimes, DosStampsSurviveTheRoundTripThroughPcTime) {
    const DosStamp stamps[] = {
        {FatDate(1980, 1, 1), FatTime(0, 0, 0)},      {FatDate(2021, 6, 15), FatTime(10, 20, 30)},
        {FatDate(2020, 2, 29), FatTime(23, 59, 58)},  {FatDate(2024, 12, 31), FatTime(12, 0, 2)},
        {FatDate(2107, 12, 31), FatTime(23, 59, 58)},
    };
    for (DosStamp stamp : stamps) {
        PcTime time = 0;
        ASSERT_TRUE(PcFileSystem::PcTimeFromDos(stamp, &time)) << stamp.date;
        DosStamp back = PcFileSystem::DosFromPcTime(time);
        EXPECT_EQ(back.date, stamp.date);
        EXPECT_EQ(back.time, stamp.time);
    }
}

TEST(PcTimes, StampsThatAreNoDateAreRefused) {
    PcTime time = 0;
    EXPECT_FALSE(PcFileSystem::PcTimeFromDos({0, 0}, &time));                     // month 0, day 0
    EXPECT_FALSE(PcFileSystem::PcTimeFromDos({FatDate(2021, 2, 29), 0}, &time));  // not a leap year
    EXPECT_FALSE(PcFileSystem::PcTimeFromDos({FatDate(2021, 13, 1), 0}, &time));  // month 13
    EXPECT_FALSE(PcFileSystem::PcTimeFromDos({FatDate(2021, 4, 31), 0}, &time));  // April has 30 days
    EXPECT_FALSE(PcFileSystem::PcTimeFromDos({FatDate(2021, 1, 1), FatTime(24, 0, 0)}, &time));
    EXPECT_FALSE(PcFileSystem::PcTimeFromDos({FatDate(2021, 1, 1), FatTime(0, 60, 0)}, &time));
    EXPECT_FALSE(PcFileSystem::PcTimeFromDos({FatDate(2021, 1, 1), 30}, &time));  // 60 seconds
    EXPECT_EQ(time, 0u);
}

TEST(PcTimes, OddSecondsRoundDownAndTimesOutsideDosAreClamped) {
    PcTime time = 0;
    ASSERT_TRUE(PcFileSystem::PcTimeFromDos({FatDate(2021, 6, 15), FatTime(10, 20, 30)}, &time));
    DosStamp odd = PcFileSystem::DosFromPcTime(time + 10000000);  // 10:20:31
    EXPECT_EQ(odd.time, FatTime(10, 20, 30));
    // 1601 lies before every DOS date.
    DosStamp early = PcFileSystem::DosFromPcTime(PcTime{10000000} * 86400);
    EXPECT_EQ(early.date, FatDate(1980, 1, 1));
    EXPECT_EQ(early.time, 0);
}

#ifndef _WIN32
TEST(PcTimes, DosStampsAreLocalTimeUnderTheRulesOfTheirDate) {
    // A time zone with summer time, so that a mix-up of local time and UTC cannot pass unseen.
    ScopedEnv zone("TZ", "EST5EDT,M3.2.0,M11.1.0", tzset);
    PcTime summer = 0, winter = 0;
    ASSERT_TRUE(PcFileSystem::PcTimeFromDos({FatDate(2021, 6, 15), FatTime(10, 20, 30)}, &summer));
    ASSERT_TRUE(PcFileSystem::PcTimeFromDos({FatDate(2021, 1, 15), FatTime(10, 20, 30)}, &winter));
    const PcTime kTicks = 10000000, kUnixEpoch = 11644473600;
    EXPECT_EQ(summer, (1623766830 + kUnixEpoch) * kTicks);  // 14:20:30 UTC
    EXPECT_EQ(winter, (1610724030 + kUnixEpoch) * kTicks);  // 15:20:30 UTC
}
#endif

// --- Directories, files, attributes --------------------------------------------------------

class PcSideTest : public ::testing::Test {
protected:
    TempDir dir;
    PcFileSystem pc;
};

TEST_F(PcSideTest, ListingGivesNamesSizesKindsAndTimes) {
    WritePcTree(dir.path(), {{"Some Long Name.text", "12345"}, {"SHORT.TXT", ""}, {"Folder", kDirMark}});
    PcTime before = 0;
    ASSERT_TRUE(PcFileSystem::PcTimeFromDos({FatDate(2000, 1, 1), 0}, &before));
    std::vector<PcEntry> entries;
    ASSERT_TRUE(pc.ListDirectory(dir.WFile(""), &entries));
    ASSERT_EQ(entries.size(), 3u);
    std::map<std::wstring, PcEntry> byName;
    for (const PcEntry& e : entries)
        byName[e.name] = e;
    const PcEntry& longOne = byName.at(L"Some Long Name.text");
    EXPECT_EQ(longOne.size, 5u);
    EXPECT_FALSE(longOne.IsDirectory());
    EXPECT_GT(longOne.writeTime, before);
#ifdef _WIN32
    // Whatever alias the system picked: an 8.3 name with the extension cut to three.
    ASSERT_GE(longOne.shortName.size(), 5u);
    EXPECT_EQ(longOne.shortName.substr(longOne.shortName.size() - 4), L".TEX");
#else
    EXPECT_EQ(longOne.shortName, L"SOMELO~1.TEX");
    EXPECT_EQ(longOne.pathName, L"Some Long Name.text");
#endif
    EXPECT_EQ(byName.at(L"SHORT.TXT").shortName, L"");
    EXPECT_TRUE(byName.at(L"Folder").IsDirectory());
}

TEST_F(PcSideTest, EntriesAreFoundWithoutRegardToCase) {
    WritePcTree(dir.path(), {{"command.com", "x"}, {"Other.Txt", "yy"}});
    PcEntry entry;
    ASSERT_TRUE(pc.FindEntry(dir.WFile(""), L"COMMAND.COM", &entry));
    EXPECT_EQ(entry.name, L"command.com");
    EXPECT_EQ(entry.size, 1u);
    ASSERT_TRUE(pc.FindEntry(dir.WFile(""), L"other.TXT", &entry));
    EXPECT_EQ(entry.size, 2u);
    EXPECT_FALSE(pc.FindEntry(dir.WFile(""), L"IO.SYS", &entry));
}

TEST_F(PcSideTest, DirectoryPathsAreMadeLevelByLevelAndMayExist) {
    std::wstring deep = dir.WFile("one/two/three");
    ASSERT_EQ(pc.CreateDirectoryPath(deep), 0);
    EXPECT_TRUE(fs::is_directory(dir.File("one/two/three")));
    EXPECT_EQ(pc.CreateDirectoryPath(deep), 0);
    EXPECT_EQ(pc.CreateDirectoryPath(dir.WFile("one/two/")), 0);
    // A file in the way is an error.
    WriteWholeFile(dir.File("one/blocker"), "x");
    EXPECT_EQ(pc.CreateDirectoryPath(dir.WFile("one/blocker/below")), -1);
}

TEST_F(PcSideTest, EmptyingKeepsTheTopAndDotDirectoriesUnlessAskedToRemoveAll) {
    WritePcTree(dir.path(), {{"top/a.txt", "a"},
                             {"top/sub/b.txt", "b"},
                             {"top/sub/deeper/c.txt", "c"},
                             {"top/.keep/d.txt", "d"},
                             {"top/.hidden-file", "e"}});
    ASSERT_EQ(pc.DeleteDirectoryContents(dir.WFile("top"), 1), 0);
    EXPECT_EQ(ReadPcTree(dir.File("top")), (PcTree{{".keep", kDirMark}, {".keep/d.txt", "d"}}));
    // Without keepTop the directory itself goes; a dot directory inside keeps it from going.
    EXPECT_EQ(pc.DeleteDirectoryContents(dir.WFile("top"), 0), -1);
    fs::remove_all(dir.File("top/.keep"));
    EXPECT_EQ(pc.DeleteDirectoryContents(dir.WFile("top"), 0), 0);
    EXPECT_FALSE(fs::exists(dir.File("top")));
    EXPECT_EQ(pc.DeleteDirectoryContents(dir.WFile("missing"), 1), -1);
}

TEST_F(PcSideTest, EmptyingRemovesReadOnlyFiles) {
    WritePcTree(dir.path(), {{"top/locked.txt", "x"}});
    ASSERT_TRUE(pc.WriteAttributes(dir.WFile("top/locked.txt"), kPcReadOnly));
    ASSERT_EQ(pc.DeleteDirectoryContents(dir.WFile("top"), 1), 0);
    EXPECT_TRUE(ReadPcTree(dir.File("top")).empty());
}

#ifndef _WIN32
TEST_F(PcSideTest, EmptyingRemovesLinksWithoutFollowingThem) {
    WritePcTree(dir.path(), {{"outside/precious.txt", "keep me"}, {"top/x.txt", "x"}});
    fs::create_directory_symlink(dir.File("outside"), dir.File("top/link-to-dir"));
    fs::create_symlink(dir.File("outside/precious.txt"), dir.File("top/link-to-file"));
    fs::create_symlink(dir.File("nowhere"), dir.File("top/dangling"));
    ASSERT_EQ(pc.DeleteDirectoryContents(dir.WFile("top"), 1), 0);
    EXPECT_TRUE(ReadPcTree(dir.File("top")).empty());
    EXPECT_EQ(ReadWholeFile(dir.File("outside/precious.txt")), "keep me");
}

TEST_F(PcSideTest, ReadOnlyIsTheOwnersWriteBit) {
    WriteWholeFile(dir.File("f.txt"), "x");
    std::wstring path = dir.WFile("f.txt");
    ASSERT_TRUE(pc.WriteAttributes(path, kPcReadOnly | kPcHidden | kPcArchive));
    struct stat st;
    ASSERT_EQ(stat(dir.File("f.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH), 0u);
    uint32_t attributes = 0;
    ASSERT_TRUE(pc.ReadAttributes(path, &attributes));
    EXPECT_EQ(attributes, kPcReadOnly);  // hidden and archive have no place here
    ASSERT_TRUE(pc.WriteAttributes(path, kPcArchive));
    ASSERT_EQ(stat(dir.File("f.txt").c_str(), &st), 0);
    EXPECT_NE(st.st_mode & S_IWUSR, 0u);
    ASSERT_TRUE(pc.ReadAttributes(path, &attributes));
    EXPECT_EQ(attributes, 0u);
}

TEST_F(PcSideTest, PipesAndDevicesAreListedAsSpecial) {
    ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
    std::vector<PcEntry> entries;
    ASSERT_TRUE(pc.ListDirectory(dir.WFile(""), &entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(entries[0].special);
}
#endif

#ifdef _WIN32
TEST_F(PcSideTest, HiddenSystemAndArchiveAreKeptOnWindows) {
    WriteWholeFile(dir.File("f.txt"), "x");
    std::wstring path = dir.WFile("f.txt");
    ASSERT_TRUE(pc.WriteAttributes(path, kPcReadOnly | kPcHidden | kPcSystem | kPcArchive));
    uint32_t attributes = 0;
    ASSERT_TRUE(pc.ReadAttributes(path, &attributes));
    EXPECT_EQ(attributes & 0x3F, kPcReadOnly | kPcHidden | kPcSystem | kPcArchive);
}
#endif

TEST_F(PcSideTest, RenameModeTakesTheFirstFreeCountedName) {
    WritePcTree(dir.path(), {{"report.txt", "1"}, {"report(2).txt", "2"}, {"report(3).txt", "3"}, {"README", "r"}});
    PcFile file;
    std::wstring path = dir.WFile("report.txt");
    ASSERT_TRUE(pc.CreatePcFile(&path, 1, &file));
    EXPECT_EQ(path, dir.WFile("report(4).txt"));
    file.Close();
    path = dir.WFile("README");
    ASSERT_TRUE(pc.CreatePcFile(&path, 1, &file));
    EXPECT_EQ(path, dir.WFile("README(2)"));
    file.Close();
    path = dir.WFile("new.txt");
    ASSERT_TRUE(pc.CreatePcFile(&path, 1, &file));
    EXPECT_EQ(path, dir.WFile("new.txt"));
    file.Close();
    EXPECT_EQ(ReadWholeFile(dir.File("report.txt")), "1");
    EXPECT_EQ(ReadWholeFile(dir.File("report(3).txt")), "3");
}

TEST_F(PcSideTest, ReplaceModeEmptiesAnExistingReadOnlyFile) {
    WriteWholeFile(dir.File("report.txt"), "old contents");
    ASSERT_TRUE(pc.WriteAttributes(dir.WFile("report.txt"), kPcReadOnly));
    PcFile file;
    std::wstring path = dir.WFile("report.txt");
    ASSERT_TRUE(pc.CreatePcFile(&path, 0, &file));
    EXPECT_EQ(path, dir.WFile("report.txt"));
    uint32_t done = 0;
    ASSERT_TRUE(file.WriteAt(0, "new", 3, &done));
    file.Close();
    EXPECT_EQ(ReadWholeFile(dir.File("report.txt")), "new");
}

TEST_F(PcSideTest, EntryTimesReachTheFileAndInvalidOnesLeaveItsTime) {
    WriteWholeFile(dir.File("f.txt"), "x");
    std::wstring path = dir.WFile("f.txt");
    EntryTimes times;
    times.write = {FatDate(2021, 6, 15), FatTime(10, 20, 30)};
    times.access = {FatDate(2022, 1, 2), 0};
    times.creation = {FatDate(2020, 2, 29), FatTime(23, 59, 58)};
    ASSERT_EQ(pc.ApplyEntryTimes(path, times), 1);
    PcEntry entry;
    ASSERT_TRUE(pc.FindEntry(dir.WFile(""), L"f.txt", &entry));
    EXPECT_EQ(PcFileSystem::DosFromPcTime(entry.writeTime).date, times.write.date);
    EXPECT_EQ(PcFileSystem::DosFromPcTime(entry.writeTime).time, times.write.time);
    EXPECT_EQ(PcFileSystem::DosFromPcTime(entry.accessTime).date, times.access.date);
    if (PcKeepsCreationTimes()) {
        EXPECT_EQ(PcFileSystem::DosFromPcTime(entry.creationTime).date, times.creation.date);
    }

    // A stamp of zeros is no date: the time set before stays.
    EntryTimes none;
    ASSERT_EQ(pc.ApplyEntryTimes(path, none), 1);
    PcEntry again;
    ASSERT_TRUE(pc.FindEntry(dir.WFile(""), L"f.txt", &again));
    EXPECT_EQ(again.writeTime, entry.writeTime);
    EXPECT_EQ(again.accessTime, entry.accessTime);

    EXPECT_EQ(pc.ApplyEntryTimes(dir.WFile("missing.txt"), times), 0);
}

}  // namespace
