// Copying between blocks and PC folders: a saved tree opens back under the same names, a refused
// save leaves the block as it was, open's modes for files already there, attributes and times
// both ways, the path limit, failures that name their path, links, and damaged volumes.
#include <algorithm>
#include <filesystem>
#include <map>

#include "disk/wide_path.h"
#include "fatfs/byte_order.h"
#include "fatfs/fat_time.h"
#include "support/drive_image_test.h"
#include "support/test_bytes.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include "tests/settings/scoped_env.h"
#endif

namespace fs = std::filesystem;

namespace {

// Relative path with '/' separators (UTF-8) to a file's bytes; a folder holds kDir.
using PcTree = std::map<std::string, std::string>;
const std::string kDir = "<dir>";

void WritePcTree(const std::string& root, const PcTree& tree) {
    for (const auto& [path, bytes] : tree) {  // a folder comes before what it holds
        fs::path full = fs::u8path(root + "/" + path);
        fs::create_directories(bytes == kDir ? full : full.parent_path());
        if (bytes != kDir) WriteWholeFile(full.string(), bytes);
    }
}

PcTree ReadPcTree(const std::string& root) {  // nothing when root is missing
    PcTree tree;
    std::error_code missing;
    for (fs::recursive_directory_iterator it(fs::u8path(root), missing), end; it != end; ++it)
        tree[fs::relative(it->path(), fs::u8path(root)).generic_u8string()] =
            it->is_directory() ? kDir : ReadWholeFile(it->path().string());
    return tree;
}

// Every entry: a folder as "path/", a small file as "path=bytes", a larger one as
// "path=<size>#<checksum>".
std::string Flat(const PcTree& tree) {
    std::string text;
    for (const auto& [path, bytes] : tree) {
        uint32_t sum = 2166136261u;
        for (unsigned char c : bytes)
            sum = (sum ^ c) * 16777619u;
        const std::string big = "<" + std::to_string(bytes.size()) + ">#" + std::to_string(sum % 100000);
        text += (text.empty() ? "" : " ") + path + (bytes == kDir ? "/" : "=" + (bytes.size() <= 16 ? bytes : big));
    }
    return text;
}

class CopyTest : public DriveImageTest {
protected:
    void SetUp() override {
        MakeDrive(3);
        FormatDrive(3);
        AttachDrive();
    }
    std::wstring W(const std::string& name) const { return WideFromUtf8(dir.File(name)); }
    int Save(const std::string& from, uint32_t block = 1) { return blocks.CopyDirectoryToBlock(W(from), block, 1); }
    int Open(const std::string& to) { return blocks.CopyBlockToDirectory(W(to), 1); }

    // Block 1's volume, loaded into the block image to be changed there and written back.
    void Load() {
        FloppyFormat format;
        ASSERT_EQ(blocks.LoadBlockImage(1, &format), 0);
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
    PcTree tree = {{"README.TXT", "r"}, {"empty file.bin", ""}, {"Program Files/Deep Level/Final File Name.txt", "f"}};
    tree["Large Data File.bin"] = TestBytes(1000000, 3);
    tree["COMMAND.COM"] = TestBytes(5000, 7);
    tree["io.sys"] = TestBytes(4000, 8);
#ifndef _WIN32
    tree["Caf\u00e9 Men\u00fc.txt"] = "accents";
    tree[".profile"] = "dot";
#endif
    WritePcTree(dir.File("in"), tree);
    const std::string bootSector = Slot(1).substr(0, kSectorSize);
    ASSERT_EQ(Save("in"), 0);
    ASSERT_EQ(Open("back"), 0);
    tree["Program Files"] = tree["Program Files/Deep Level"] = kDir;
    EXPECT_EQ(Flat(ReadPcTree(dir.File("back"))), Flat(tree));
    const char* root = reinterpret_cast<const char*>(sectors.blockImage()) + 19 * kSectorSize;
    EXPECT_EQ(std::string(root, 11) + "|" + std::string(root + 32, 11) + "|" + std::string(root + 64, 11),
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
        {"boot files more than the block holds", {{"IO.SYS", TestBytes(800000, 1)}, {"COMMAND.COM", TestBytes(800000, 2)}},
         FS_DISK_FULL, nullptr},
        {"1.44M's data area in another layout", {{"a.txt", "a"}}, 256, [&] { Load(), sectors.blockImage()[21] = 0xF9, Store(); }},
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
        if (c.status == 256) {
            EXPECT_NE(blocks.lastFailure.detail.find(L"save cannot rebuild"), std::wstring::npos) << c.what;
        }
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
    EXPECT_EQ(Flat(ReadPcTree(dir.File("out"))),
              ".keep/ .keep/y=kept README(2).TXT=2 README(3).TXT=new README(4).TXT=new README.TXT=old Stale/ Sub/ "
              "Sub/X(2).TXT=x Sub/X.TXT=x");
    blocks.fileExistMode = 0;
    ASSERT_EQ(Open("out"), 0);  // replaces the read-only file
    EXPECT_EQ(ReadWholeFile(dir.File("out/README.TXT")), "new");
    blocks.dirDelAllFile = 1;
    ASSERT_EQ(Open("out"), 0);
    EXPECT_EQ(Flat(ReadPcTree(dir.File("out"))), ".keep/ .keep/y=kept README.TXT=new Sub/ Sub/X.TXT=x");
}

TEST_F(CopyTest, AttributesAndTimesGoBothWays) {
    WritePcTree(dir.File("in"), {{"RO.TXT", "r"}, {"DIR", kDir}, {"NODATE.TXT", "n"}});
    const DosStamp written = {FatDate(2019, 7, 4), FatTime(8, 9, 10)};
    const EntryTimes times{written, {FatDate(2019, 7, 5), 0}, written};
    for (const char* name : {"in/RO.TXT", "in/DIR", "in/NODATE.TXT"})
        ASSERT_EQ(pc.ApplyEntryTimes(W(name), times), 1);
    ASSERT_TRUE(pc.WriteAttributes(W("in/RO.TXT"), kPcReadOnly));
    ASSERT_EQ(Save("in"), 0);
    Load();
    auto n = [](unsigned value) { return std::to_string(value) + " "; };
    for (const char* path : {"\\RO.TXT", "\\DIR"}) {
        const uint8_t* e = EntryOf(path);
        EXPECT_EQ(n(e[11] & 0x17) + n(Load16(e + 24)) + n(Load16(e + 22)) + n(Load16(e + 18)),
                  n(path[1] == 'R' ? 1 : 0x10) + n(times.write.date) + n(times.write.time) + n(times.access.date))
            << path << ": attribute, write date and time, access date";
    }
    std::fill_n(EntryOf("\\NODATE.TXT") + 22, 4, 0);  // a write stamp that is no date
    sectors.blockImage()[19 * kSectorSize + 11] = 0x28;   // the label entry, its archive bit set
    Store();
    ASSERT_EQ(Open("out"), 0);
    std::string seen;
    for (const wchar_t* name : {L"RO.TXT", L"DIR", L"NODATE.TXT"}) {
        PcEntry entry;
        uint32_t attributes = 0;
        ASSERT_TRUE(pc.FindEntry(W("out"), name, &entry) && pc.ReadAttributes(W("out/") + name, &attributes));
        const DosStamp write = PcFileSystem::DosFromPcTime(entry.writeTime);
        seen += Utf8FromWide(name) + (attributes & kPcReadOnly ? " read-only" : "") +
                (write.date == times.write.date && write.time == times.write.time ? " written then" : " written now") +
                (PcFileSystem::DosFromPcTime(entry.accessTime).date == times.access.date ? " read then|" : "|");
    }
    EXPECT_EQ(seen,
              "RO.TXT read-only written then read then|DIR written then read then|NODATE.TXT written now read then|");
}

TEST_F(CopyTest, OpenWarnsOfNamesPastThePathLimitAndSkipsThem) {
    WritePcTree(dir.File("in"), {{"A.TXT", "a"}, {"Long File Name.txt", "long"}, {"SUBDIR/X.TXT", "x"}});
    ASSERT_EQ(Save("in"), 0);
    // A target of 200 characters: "/A.TXT" and "/SUBDIR" fit in 210, the others do not.
    const std::string target = dir.File("") + std::string(200 - dir.File("").size(), 'd');
    ASSERT_EQ(blocks.CopyBlockToDirectory(WideFromUtf8(target), 1), 0);
    EXPECT_EQ(Flat(ReadPcTree(target)), "A.TXT=a SUBDIR/");
    EXPECT_EQ(frontEnd.Lines("warn"), std::vector<std::string>(2, "File name is too long,create failure"));
}

#ifndef _WIN32
TEST_F(CopyTest, LinksAreFollowedIntoABlockNeverOutOfAFolderBeingEmptiedAFullDeviceAndAChangingFileAreFailures) {
    WritePcTree(dir.File("in"), {{"a.txt", "a"}});
    WritePcTree(dir.File("outside"), {{"precious.txt", "keep me"}});
    ASSERT_EQ(mkfifo(dir.File("in/pipe").c_str(), 0600), 0);
    fs::create_symlink(dir.File("outside/precious.txt"), dir.File("in/linked.txt"));
    fs::create_symlink(dir.File("nowhere"), dir.File("in/dangling"));
    fs::create_directory_symlink(dir.File("in"), dir.File("in/again"));
    ASSERT_EQ(Save("in"), 0);
    ASSERT_EQ(Open("back"), 0);
    const PcTree back = ReadPcTree(dir.File("back"));
    EXPECT_EQ(back.at("linked.txt") + "|" + std::to_string(back.count("pipe") + back.count("dangling")), "keep me|0");
    const auto copies = std::count_if(back.begin(), back.end(), [](const auto& item) { return item.second == "a"; });
    EXPECT_TRUE(copies > 2 && copies < 100) << copies << " copies of the folder linked into itself";

    fs::create_directory_symlink(dir.File("outside"), dir.File("back/link-to-dir"));
    fs::create_symlink(dir.File("outside/precious.txt"), dir.File("back/link-to-file"));
    blocks.dirDelAllFile = 1;
    ASSERT_EQ(Open("back"), 0);
    EXPECT_EQ(Flat(ReadPcTree(dir.File("outside"))), "precious.txt=keep me");
    EXPECT_EQ(ReadPcTree(dir.File("back")).count("link-to-dir"), 0u);

    fs::remove(dir.File("back/linked.txt"));
    fs::create_symlink("/dev/full", dir.File("back/linked.txt"));  // a file that cannot be written
    blocks.dirDelAllFile = 0;
    EXPECT_EQ(Open("back"), -1);
    EXPECT_EQ(Utf8FromWide(blocks.lastErrorPath), dir.File("back/linked.txt"));

    // A file of 4096 bytes by its size that reads fewer, like one cut short while it is read.
    WritePcTree(dir.File("changing"), {{"a.txt", "a"}});
    fs::create_symlink("/sys/devices/system/cpu/online", dir.File("changing/cpus.txt"));
    const std::string before = Slot(1);
    EXPECT_EQ(Save("changing"), BLK_PC_FILE_CHANGED);
    EXPECT_EQ(Utf8FromWide(blocks.lastFailure.path), dir.File("changing/cpus.txt"));
    EXPECT_EQ(blocks.WriteImageToBlock(W("changing/cpus.txt"), 1, 1), BLK_PC_FILE_CHANGED);
    EXPECT_TRUE(Slot(1) == before) << "a file that changed size reached the block";
}
#endif

TEST_F(CopyTest, FoldersThatPointBackOrAtEachOtherAreCopiedOnceAndAFileCutShortIsCopiedAsFarAsItGoes) {
    WritePcTree(dir.File("in"), {{"A/F.TXT", "f"}, {"A/B", kDir}, {"C", kDir}, {"TWO", kDir}, {"Z.TXT", "z"}});
    ASSERT_EQ(Save("in"), 0);
    Load();
    const uint16_t a = Load16(EntryOf("\\A") + 26);
    Store16(EntryOf("\\A\\B") + 26, a);  // back at its parent
    Store16(EntryOf("\\C") + 26, 0);     // at the root
    Store16(EntryOf("\\TWO") + 26, a);   // at another folder
    Store32(EntryOf("\\Z.TXT") + 28, 2000);  // a size past its one cluster
    Store();
    EXPECT_EQ(Open("out"), BLK_FILE_DAMAGED);
    EXPECT_EQ(Flat(ReadPcTree(dir.File("out"))).substr(0, 24), "A/ A/F.TXT=f Z.TXT=<512>");
    EXPECT_EQ(Utf8FromWide(blocks.lastFailure.path + L": " + blocks.lastFailure.detail),
              dir.File("out") + Sep() + "Z.TXT: its data on the block ends after 512 of its 2000 bytes");
    EXPECT_EQ(frontEnd.Lines("warn").size(), 3u);
}

TEST_F(CopyTest, UsersOwnDosFilesReplaceTheCarriedOnesOnlyAsAWholeSetAndMustFit) {
    WritePcTree(dir.File("prog"), {{"dos71/IO.SYS", "my io"}, {"dos71/MSDOS.SYS", "[Options]"}});
    blocks.dosFilesRoot = W("prog");
    auto bootable = [&](int dos) {
        EXPECT_EQ(blocks.FormatBlock(1, 1, Format144M, 0, dos), 0);
        fs::remove_all(dir.File("out"));
        EXPECT_EQ(Open("out"), 0);
        return ReadPcTree(dir.File("out"));
    };
    EXPECT_NE(bootable(Dos71).at("IO.SYS"), "my io") << "two of the three files were taken";
    WriteWholeFile(dir.File("prog/dos71/command.com"), "my shell");  // a folder may spell them in lower case
    EXPECT_EQ(Flat(bootable(Dos71)), "COMMAND.COM=my shell IO.SYS=my io MSDOS.SYS=[Options]");
    WritePcTree(dir.File("prog"), {{"dos622/IO.SYS", std::string(600000, 'i')},
                                   {"dos622/MSDOS.SYS", std::string(200000, 'm')},
                                   {"dos622/COMMAND.COM", "c"}});
    const std::string before = Slot(2);
    EXPECT_EQ(blocks.FormatBlock(2, 2, Format720K, 0, Dos622), FS_DISK_FULL);
    EXPECT_TRUE(Slot(2) == before) << "system files that do not fit were written";
    blocks.dosFilesRoot.clear();  // the carried IO.SYS now passes through a buffer full of the user's
    const std::string io = bootable(Dos622).at("IO.SYS");
    EXPECT_EQ(io.size(), 40774u);
    EXPECT_EQ(io.find_first_not_of('\0', 512), std::string::npos) << "the carried IO.SYS ends in stale bytes";
#ifndef _WIN32
    fs::remove(dir.File("prog/dos622/COMMAND.COM"));  // now a file of 4096 bytes by its size that reads fewer
    fs::create_symlink("/sys/devices/system/cpu/online", dir.File("prog/dos622/COMMAND.COM"));
    blocks.dosFilesRoot = W("prog");
    EXPECT_EQ(blocks.FormatBlock(2, 2, Format144M, 0, Dos622), BLK_PC_FILE_CHANGED);
    EXPECT_EQ(Utf8FromWide(blocks.lastFailure.path), dir.File("prog/dos622/COMMAND.COM"));
    EXPECT_TRUE(Slot(2) == before) << "a system file cut short was written";
#endif
}

TEST(PcTimes, DosStampsAreLocalTimeAndStampsThatAreNoDateAreRefused) {
    PcTime time = 0;
#ifndef _WIN32
    ScopedEnv zone("TZ", "EST5EDT,M3.2.0,M11.1.0", tzset);  // summer time shows a mix-up of local time and UTC
    ASSERT_TRUE(PcFileSystem::PcTimeFromDos({FatDate(2021, 6, 15), FatTime(10, 20, 30)}, &time));
    EXPECT_EQ(time, (1623766830 + 11644473600ull) * 10000000);  // 14:20:30 UTC
#endif
    for (DosStamp bad :
         {DosStamp{0, 0}, {FatDate(2021, 2, 29), 0}, {FatDate(2021, 4, 31), 0}, {FatDate(2021, 1, 1), 30}})
        EXPECT_FALSE(PcFileSystem::PcTimeFromDos(bad, &time)) << bad.date << " " << bad.time;
}

TEST(PcFolders, EveryMissingFolderOfARelativeOrAnAbsolutePathIsMade) {
    TempDir dir;
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(FsPath(dir.WFile("")));
    PcFileSystem pc;
    EXPECT_EQ(pc.CreateDirectoryPath(L"bk/20261207164610"), 0);
    EXPECT_EQ(pc.CreateDirectoryPath(L"bk/20261207164610"), 0) << "a folder already there is no failure";
    std::filesystem::current_path(saved);
    EXPECT_EQ(pc.CreateDirectoryPath(dir.WFile("a/b/c")), 0);
    for (const char* made : {"bk/20261207164610", "a/b/c"})
        EXPECT_TRUE(std::filesystem::is_directory(FsPath(dir.WFile(made)))) << made;
}

}  // namespace
