// Copying between blocks and PC folders: a saved tree opens back under the same names, a refused
// save leaves the block as it was, open's modes for files already there, attributes and times
// both ways, the path limit, failures that name their path, links, and damaged volumes.
#include <algorithm>
#include <filesystem>

#include "blocks/block_status.h"
#include "blocks/short_alias.h"
#include "disk/wide_path.h"
#include "fatfs/byte_order.h"
#include "fatfs/fat_time.h"
#include "support/drive_image_test.h"
#include "support/test_bytes.h"
#include "tests/blocks/pc_tree.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include "tests/settings/scoped_env.h"
#endif

namespace fs = std::filesystem;

namespace {

constexpr DosStamp kStamp = {FatDate(2021, 6, 15), FatTime(10, 20, 30)};

class CopyTest : public DriveImageTest {
protected:
    void SetUp() override {
        MakeDrive(3);
        FormatDrive(3);
        AttachDrive();
        blocks.fileExistMode = 0;
    }
    std::wstring W(const std::string& name) const { return WideFromUtf8(dir.File(name)); }
    int Save(const std::string& from, uint32_t block = 1) { return blocks.CopyDirectoryToBlock(W(from), block, 1); }
    int Open(const std::string& to) { return blocks.CopyBlockToDirectory(W(to), 1); }

    // Block 1's volume, loaded into the block image, changed there and written back.
    void Load() {
        FloppyFormat format;
        ASSERT_EQ(blocks.LoadBlockImage(1, &format), 0);
    }
    void Put(const std::string& path,
             const std::string& bytes,
             const char16_t* longName = u"",
             uint8_t attribute = 0x20,
             DosStamp stamp = kStamp) {
        engine.ClearCreateLongName();
        std::copy(longName, longName + std::char_traits<char16_t>::length(longName), engine.createLongName());
        const bool folder = bytes == kDir;
        uint32_t count = static_cast<uint32_t>(bytes.size());
        ASSERT_EQ(folder ? engine.fsCreateDir(path.c_str()) : engine.fsCreate(path.c_str(), 0), FS_OK) << path;
        if (!folder) ASSERT_EQ(engine.fsWriteBytes(bytes.data(), &count), FS_OK) << path;
        FileInfo info = {0xFFFFFFFF, stamp.date,          stamp.time, stamp.date,
                         stamp.time, FatDate(2022, 1, 2), 0xFFFF,     folder ? uint8_t{0x10} : attribute};
        ASSERT_EQ(engine.fsFileInfo(&info, kInfoModify), FS_OK);
        if (!folder) ASSERT_EQ(engine.fsClose(), FS_OK);
    }
    void Store() {
        sectors.UseDriveMode();
        sectors.SetBlockIndex(1);
        ASSERT_EQ(sectors.WriteSectors(0, 2880, sectors.blockImage()), 0);
    }
    // An entry's 32 bytes in the block image.
    uint8_t* EntryOf(const std::string& path) {
        engine.fsOpen(path.c_str(), nullptr);
        return sectors.blockImage() + engine.openFile().entrySector * kSectorSize + engine.openFile().entryIndex * 32u;
    }
};

TEST_F(CopyTest, SavedTreeOpensBackUnderTheSameNamesWithTheBootFilesFirst) {
    PcTree tree = {{"README.TXT", TestBytes(100, 1)},
                   {"empty file.bin", ""},
                   {"Large Data File.bin", TestBytes(1000000, 3)},
                   {"Program Files", kDir},
                   {"Program Files/Deepest Level", kDir},
                   {"Program Files/Deepest Level/Final File Name Here.txt", TestBytes(4097, 6)},
                   {"COMMAND.COM", TestBytes(5000, 7)},
                   {"io.sys", TestBytes(4000, 8)}};
#ifndef _WIN32
    tree["Program Files/Caf\u00e9 Men\u00fc.txt"] = TestBytes(21, 9);
    tree[".profile"] = TestBytes(30, 10);
#endif
    WritePcTree(dir.File("in"), tree);
    const std::string bootSector = Slot(1).substr(0, kSectorSize);
    ASSERT_EQ(Save("in"), 0);
    ASSERT_EQ(Open("back"), 0);
    tree["IO.SYS"] = tree["io.sys"];  // an 8.3 name in lower case has no long name on the block
    tree.erase("io.sys");
    EXPECT_EQ(Listing(ReadPcTree(dir.File("back"))), Listing(tree));
    const uint8_t* root = sectors.blockImage() + 19 * kSectorSize;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(root), 96).substr(0, 11) + "|" +
                  std::string(reinterpret_cast<const char*>(root + 32), 11) + "|" +
                  std::string(reinterpret_cast<const char*>(root + 64), 11),
              "FLPPY1     |IO      SYS|COMMAND COM");
    EXPECT_TRUE(Slot(1).substr(0, kSectorSize) == bootSector) << "save replaced the block's boot sector";
}

TEST_F(CopyTest, RefusedSaveLeavesTheBlockAsItWas) {
    PcTree fullRoot;
    for (int i = 0; i < 224; ++i)
        fullRoot["F" + std::to_string(1000 + i) + ".TXT"] = "x";
    const struct {
        const char* what;
        PcTree tree;
        int status;
        std::function<void()> damage;
    } cases[] = {
        {"a file larger than a slot", {{"a", "a"}, {"deep/huge.bin", TestBytes(kBlockImageSize + 1, 9)}}, 258, nullptr},
        {"more than the block holds", {{"a.bin", TestBytes(800000, 1)}, {"b.bin", TestBytes(800000, 2)}}, 5, nullptr},
        {"225 root entries", fullRoot, FS_ROOT_FULL, nullptr},
        {"another geometry", {{"a.txt", "a"}}, 256, [&] { Load(), Store16(sectors.blockImage() + 19, 2879), Store(); }},
        {"no volume", {{"a.txt", "a"}}, FS_NO_VOLUME, [&] { WriteDriveBytes(kSlotSectors, std::string(512, '\0')); }},
    };
    for (const auto& c : cases) {
        if (c.damage) c.damage();
        fs::remove_all(fs::u8path(dir.File("in")));
        WritePcTree(dir.File("in"), c.tree);
        const std::string before = Slot(1);
        faults->transfers.clear();
        EXPECT_EQ(Save("in"), c.status) << c.what;
        EXPECT_EQ(faults->Count(true), 0) << c.what << ": " << faults->Describe();
        EXPECT_TRUE(Slot(1) == before) << c.what << ": the block changed";
    }
#ifndef _WIN32
    if (geteuid() == 0) return;  // root reads every file
    ASSERT_EQ(chmod(dir.File("in/a.txt").c_str(), 0), 0);
    EXPECT_EQ(Save("in", 2), -1);
    EXPECT_EQ(Utf8FromWide(blocks.lastErrorPath), dir.File("in/a.txt"));
    EXPECT_EQ(faults->Count(true), 0) << "an unreadable file: " << faults->Describe();
#endif
}

TEST_F(CopyTest, OpenReplacesOrCountsUpFilesAlreadyThereAndClearsTheFolderFirstIfAsked) {
    WritePcTree(dir.File("in"), {{"README.TXT", "new"}, {"Sub", kDir}, {"Sub/X.TXT", "x"}});
    ASSERT_EQ(Save("in"), 0);
    WritePcTree(dir.File("out"), {{"README.TXT", "old"}, {"README(2).TXT", "2"}, {"Stale", kDir}, {".keep/y", "kept"}});
    for (const char* name : {"out/README.TXT", "out/README(2).TXT"})
        ASSERT_TRUE(pc.WriteAttributes(W(name), kPcReadOnly));
    blocks.dirDelAllFile = 0;
    blocks.fileExistMode = 1;
    ASSERT_EQ(Open("out"), 0);
    ASSERT_EQ(Open("out"), 0);
    EXPECT_EQ(Listing(ReadPcTree(dir.File("out"))), Listing({{"README.TXT", "old"},
                                                             {"README(2).TXT", "2"},
                                                             {"README(3).TXT", "new"},
                                                             {"README(4).TXT", "new"},
                                                             {"Stale", kDir},
                                                             {".keep", kDir},
                                                             {".keep/y", "kept"},
                                                             {"SUB", kDir},
                                                             {"SUB/X.TXT", "x"},
                                                             {"SUB/X(2).TXT", "x"}}));
    blocks.fileExistMode = 0;
    ASSERT_EQ(Open("out"), 0);  // replaces the read-only file
    EXPECT_EQ(ReadWholeFile(dir.File("out/README.TXT")), "new");
    blocks.dirDelAllFile = 1;
    ASSERT_EQ(Open("out"), 0);
    EXPECT_EQ(
        Listing(ReadPcTree(dir.File("out"))),
        Listing({{"README.TXT", "new"}, {".keep", kDir}, {".keep/y", "kept"}, {"SUB", kDir}, {"SUB/X.TXT", "x"}}));
}

TEST_F(CopyTest, AttributesAndTimesGoBothWays) {
    WritePcTree(dir.File("in"), {{"LOCKED.TXT", "x"}, {"FOLDER", kDir}});
    EntryTimes times;
    times.write = times.creation = {FatDate(2019, 7, 4), FatTime(8, 9, 10)};
    times.access = {FatDate(2019, 7, 5), 0};
    for (const char* name : {"in/LOCKED.TXT", "in/FOLDER"})
        ASSERT_EQ(pc.ApplyEntryTimes(W(name), times), 1);
    ASSERT_TRUE(pc.WriteAttributes(W("in/LOCKED.TXT"), kPcReadOnly));
    ASSERT_EQ(Save("in"), 0);
    Load();
    auto n = [](unsigned value) { return std::to_string(value) + " "; };
    for (const char* path : {"\\LOCKED.TXT", "\\FOLDER"}) {
        const uint8_t* e = EntryOf(path);
        EXPECT_EQ(n(e[11] & 0x17) + n(Load16(e + 24)) + n(Load16(e + 22)) + n(Load16(e + 18)),
                  n(path[1] == 'L' ? 1 : 0x10) + n(times.write.date) + n(times.write.time) + n(times.access.date))
            << path << ": attribute, write date and time, access date";
    }
    Put("\\RO.TXT", "r", u"", 0x21);
    Put("\\NODATE.TXT", "n", u"", 0x20, DosStamp{0, 0});
    Put("\\DIR", kDir);
    Store();
    ASSERT_EQ(Open("out"), 0);
    std::string seen;
    for (const wchar_t* name : {L"RO.TXT", L"DIR", L"NODATE.TXT"}) {
        PcEntry entry;
        uint32_t attributes = 0;
        ASSERT_TRUE(pc.FindEntry(W("out"), name, &entry) && pc.ReadAttributes(W("out/") + name, &attributes));
        const DosStamp write = PcFileSystem::DosFromPcTime(entry.writeTime);
        seen += Utf8FromWide(name) + (attributes & kPcReadOnly ? " read-only" : "") +
                (write.date == kStamp.date && write.time == kStamp.time ? " written then" : " written now") +
                (PcFileSystem::DosFromPcTime(entry.accessTime).date == FatDate(2022, 1, 2) ? " read then|" : "|");
    }
    EXPECT_EQ(seen,
              "RO.TXT read-only written then read then|DIR written then read then|NODATE.TXT written now read then|");
    blocks.keepFileInfo = 0;
    ASSERT_EQ(Open("plain"), 0);
    uint32_t attributes = 0;
    ASSERT_TRUE(pc.ReadAttributes(W("plain/RO.TXT"), &attributes));
    EXPECT_EQ(attributes & kPcReadOnly, 0u) << "read-only carried without keeping file information";
}

TEST_F(CopyTest, OpenWarnsOfNamesPastThePathLimitAndSkipsThem) {
    Load();
    Put("\\A.TXT", "a");
    Put("\\LONGFI~1.TXT", "long", u"Long File Name.txt");
    Put("\\SUBDIR", kDir);
    Put("\\SUBDIR\\X.TXT", "x");
    Store();
    // A target of 200 characters: "/A.TXT" and "/SUBDIR" fit in 210, the others do not.
    const std::string target = dir.File("") + std::string(200 - dir.File("").size(), 'd');
    ASSERT_EQ(blocks.CopyBlockToDirectory(WideFromUtf8(target), 1), 0);
    EXPECT_EQ(Listing(ReadPcTree(target)), Listing({{"A.TXT", "a"}, {"SUBDIR", kDir}}));
    EXPECT_EQ(frontEnd.Lines("warn"), std::vector<std::string>(2, "File name is too long,create failure"));
}

TEST_F(CopyTest, OpenThatCannotWriteAFileEndsWithItsPath) {
    WritePcTree(dir.File("in"), {{"A.TXT", "a"}, {"B.TXT", "b"}});
    ASSERT_EQ(Save("in"), 0);
    blocks.dirDelAllFile = 0;
    WritePcTree(dir.File("out"), {{"A.TXT", kDir}});
    EXPECT_EQ(Open("out"), -1);
    EXPECT_EQ(Utf8FromWide(blocks.lastErrorPath), dir.File("out") + Sep() + "A.TXT");
#ifndef _WIN32
    fs::create_directories(dir.File("full"));
    fs::create_symlink("/dev/full", dir.File("full/B.TXT"));
    EXPECT_EQ(Open("full"), -1);
    EXPECT_EQ(Utf8FromWide(blocks.lastErrorPath), dir.File("full/B.TXT"));
#endif
}

#ifndef _WIN32
TEST_F(CopyTest, LinksAreFollowedIntoABlockButNeverOutOfAFolderBeingEmptied) {
    WritePcTree(dir.File("in"), {{"a.txt", "a"}});
    WritePcTree(dir.File("outside"), {{"precious.txt", "keep me"}});
    ASSERT_EQ(mkfifo(dir.File("in/pipe").c_str(), 0600), 0);
    fs::create_symlink(dir.File("outside/precious.txt"), dir.File("in/linked.txt"));
    fs::create_symlink(dir.File("nowhere"), dir.File("in/dangling"));
    fs::create_directory_symlink(dir.File("in"), dir.File("in/again"));
    ASSERT_EQ(Save("in"), 0);
    ASSERT_EQ(Open("back"), 0);
    const PcTree back = ReadPcTree(dir.File("back"));
    EXPECT_EQ(back.at("LINKED.TXT") + "|" + std::to_string(back.count("PIPE") + back.count("DANGLING")), "keep me|0");
    const auto copies = std::count_if(back.begin(), back.end(), [](const auto& item) { return item.second == "a"; });
    EXPECT_TRUE(copies > 2 && copies < 100) << copies << " copies of the folder linked into itself";

    fs::create_directory_symlink(dir.File("outside"), dir.File("back/link-to-dir"));
    fs::create_symlink(dir.File("outside/precious.txt"), dir.File("back/link-to-file"));
    blocks.dirDelAllFile = 1;
    ASSERT_EQ(Open("back"), 0);
    EXPECT_EQ(Listing(ReadPcTree(dir.File("outside"))), Listing({{"precious.txt", "keep me"}}));
    EXPECT_EQ(ReadPcTree(dir.File("back")).count("link-to-dir"), 0u);
}
#endif

TEST_F(CopyTest, DamagedDirectoriesEndTheOpenWithABoundedCopy) {
    Load();
    for (const char* path : {"\\A", "\\A\\F.TXT", "\\A\\B", "\\C", "\\TWO", "\\Z.TXT"})
        Put(path, std::string(path).find('.') == std::string::npos ? kDir : path);
    const uint16_t a = Load16(EntryOf("\\A") + 26);
    Store16(EntryOf("\\A\\B") + 26, a);  // back at its parent
    Store16(EntryOf("\\C") + 26, 0);     // at the root
    Store16(EntryOf("\\TWO") + 26, a);   // at another folder
    Store();
    EXPECT_EQ(Open("out"), 0);
    EXPECT_EQ(Listing(ReadPcTree(dir.File("out"))),
              Listing({{"A", kDir}, {"A/F.TXT", "\\A\\F.TXT"}, {"Z.TXT", "\\Z.TXT"}}));
    EXPECT_EQ(frontEnd.Lines("warn").size(), 3u);

    const std::string clean(reinterpret_cast<const char*>(sectors.blockImage()), kBlockImageSize);
    const VolumeState v = engine.volume();
    for (unsigned seed = 1; seed <= 12; ++seed) {  // noise over the FAT's used part and the folders' clusters
        std::copy(clean.begin(), clean.end(), sectors.blockImage());
        const std::string noise = TestBytes(512, seed);
        auto n = [&](size_t i) { return static_cast<uint8_t>(noise[i]); };
        for (size_t i = 0; i + 3 < noise.size(); i += 4) {
            sectors.blockImage()[v.fatStart * kSectorSize + n(i) % 24] = n(i + 1);
            sectors.blockImage()[(v.dataStart + n(i + 2) % 4) * kSectorSize + n(i + 3) % 16 * 32 + 26] = n(i) % 64;
        }
        Store();
        frontEnd.log.clear();
        fs::remove_all(fs::u8path(dir.File("noise")));
        Open("noise");  // whatever it ends with, it ends
        size_t bytes = 0;
        for (const auto& item : ReadPcTree(dir.File("noise")))
            bytes += item.second.size() + 1000;
        EXPECT_LT(bytes + frontEnd.log.size() * 1000, 40u * kBlockImageSize) << "seed " << seed;
    }
}

TEST(ShortAlias, NamesThatAreNotEightDotThreeGetWindowsAliasesFreeInTheirFolder) {
    std::vector<std::wstring> names = {
        L"README.TXT",   L"readme.txt",   L"FILE-1_X.{}~",   L"My Document 2.txt", L"My Document 1.txt",
        L"a+b=c[1].txt", L".bashrc",      L"archive.tar.gz", L"x y.html",          L"caf\u00e9 men\u00fc",
        L"  .txt",       L"MYDOCU~3.TXT", L"Program Files"};
    for (int i = 0; i < 11; ++i)
        names.push_back(L"Long Name " + std::to_wstring(100 + i) + L".text");
    std::wstring aliases;
    for (const std::wstring& alias : MakeShortAliases(names, {L"PROGRA~1"}))
        aliases += alias + L"|";
    EXPECT_EQ(Utf8FromWide(aliases),
              "|README~1.TXT||MYDOCU~2.TXT|MYDOCU~1.TXT|A_B_C_~1.TXT|BASHRC~1|ARCHIV~1.GZ|XY~1.HTM|CAF_ME~1|_~1.TXT||"
              "PROGRA~2|LONGNA~1.TEX|LONGNA~2.TEX|LONGNA~3.TEX|LONGNA~4.TEX|LONGNA~5.TEX|LONGNA~6.TEX|LONGNA~7.TEX|"
              "LONGNA~8.TEX|LONGNA~9.TEX|LONGN~10.TEX|LONGN~11.TEX|");
}

TEST(PcTimes, DosStampsAreLocalTimeAndStampsThatAreNoDateAreRefused) {
#ifndef _WIN32
    ScopedEnv zone("TZ", "EST5EDT,M3.2.0,M11.1.0", tzset);  // summer time shows a mix-up of local time and UTC
    PcTime summer = 0;
    ASSERT_TRUE(PcFileSystem::PcTimeFromDos(kStamp, &summer));
    EXPECT_EQ(summer, (1623766830 + 11644473600ull) * 10000000);  // 14:20:30 UTC
#endif
    std::string text;
    for (DosStamp stamp : {DosStamp{FatDate(1980, 1, 1), 0},
                           {FatDate(2020, 2, 29), FatTime(23, 59, 58)},
                           {FatDate(2107, 12, 31), 0},
                           {0, 0},
                           {FatDate(2021, 2, 29), 0},
                           {FatDate(2021, 13, 1), 0},
                           {FatDate(2021, 4, 31), 0},
                           {FatDate(2021, 1, 1), FatTime(24, 0, 0)},
                           {FatDate(2021, 1, 1), 30}}) {
        PcTime time = 0;
        const bool taken = PcFileSystem::PcTimeFromDos(stamp, &time);
        const DosStamp back = PcFileSystem::DosFromPcTime(time + 10000000);  // an odd second more rounds down
        text += !taken ? (time == 0 ? "refused " : "refused but set ")
                       : (back.date == stamp.date && back.time == stamp.time ? "kept " : "changed ");
    }
    EXPECT_EQ(text, "kept kept kept refused refused refused refused refused refused ");
    EXPECT_EQ(PcFileSystem::DosFromPcTime(PcTime{10000000} * 86400).date, FatDate(1980, 1, 1));  // 1601 is before DOS
}

}  // namespace
