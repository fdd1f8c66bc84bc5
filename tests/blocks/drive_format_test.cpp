// Whole-drive formatting: the sectors it writes, the end mark and block count it leaves,
// its progress, cancelling between blocks, failures part-way, and finding the drive again.
#include <algorithm>
#include <cstring>

#include "blocks/block_header.h"
#include "blocks/drive_format.h"
#include "tests/blocks/block_drive.h"

namespace {

class DriveFormatTest;

// A format dialog stand-in that records what the format showed it.
class FakeHost : public DriveFormatHost {
public:
    explicit FakeHost(DriveFormatTest& test) : test_(test) {}

    bool OpenDrive() override;
    void CloseDrive() override;
    void BeginProgress(uint32_t total) override { events.push_back("begin " + std::to_string(total)); }
    void ShowProgress(uint32_t done, uint32_t total) override;
    void EndProgress() override { events.push_back("end"); }
    void SetIgnoreDeviceChanges(bool on) override { events.push_back(on ? "ignore on" : "ignore off"); }
    void RestartDevice() override { events.push_back("restart"); }
    bool FindDriveAgain() override {
        ++scans;
        return scans >= scansUntilFound;
    }
    void ReselectDrive() override { events.push_back("reselect"); }
    void Inform(const std::wstring& text) override { informations.push_back(text); }

    bool openFails = false;
    uint32_t cancelAfter = 0;  // set cancelRequested once this many blocks are done; 0 never
    int scansUntilFound = 1;
    int scans = 0;
    std::vector<std::string> events;
    std::vector<std::wstring> titles;
    std::vector<std::wstring> informations;

private:
    DriveFormatTest& test_;
};

class DriveFormatTest : public BlockDriveTest {
protected:
    void SetUp() override {
        MakeDrive(25ull * kSlotSectors + 1);
        sectors.CloseDrive();  // the format opens the drive itself
    }

    FakeHost host{*this};
    friend class FakeHost;
};

bool FakeHost::OpenDrive() {
    events.push_back("open");
    if (openFails) return false;
    test_.AttachDrive();
    return true;
}

void FakeHost::CloseDrive() {
    events.push_back("close");
    test_.sectors.CloseDrive();
}

void FakeHost::ShowProgress(uint32_t done, uint32_t total) {
    titles.push_back(FormatProgressTitle(L"E:", done, total));
    if (cancelAfter != 0 && done == cancelAfter) test_.manager.cancelRequested = 1;
}

TEST_F(DriveFormatTest, ThreeQuickBlocksWriteTheirSystemAreasHeadersEndMarkAndCount) {
    ASSERT_EQ(manager.FormatDrive(host, 3, Format144M, 1, DosNone), BLK_OK);
    std::vector<Transfer> expected = {
        {0, 33},    {3071, 1},  // block 0 and its stamp
        {3072, 33}, {6143, 1},  // block 1
        {6144, 33}, {9215, 1},  // block 2
        {9216, 1},              // the slot after the last block
        {3071, 1},              // the count, into block 0's header
    };
    EXPECT_EQ(log->writes, expected);

    std::string mark = DriveSectors(9216, 1);
    EXPECT_EQ(mark.substr(0, 3), std::string(3, '\0'));
    EXPECT_EQ(mark.substr(3), DriveSectors(6144, 1).substr(3));  // the rest of block 2's boot sector

    std::string header = DriveSectors(3071, 1);
    EXPECT_EQ(header.substr(0, 32), std::string("UPDATE TIME:2026-12-05 19-49-29") + '\0');
    EXPECT_EQ(header.substr(80, 14), std::string("MAX BLOCK:003") + '\0');
}

TEST_F(DriveFormatTest, FormattedDriveListsExactlyItsBlocksWithTheirLabels) {
    ASSERT_EQ(manager.FormatDrive(host, 3, Format720K, 1, DosNone), BLK_OK);
    AttachDrive();
    ASSERT_EQ(manager.EnumerateBlocks(LastSector(), 0), BLK_OK);
    ASSERT_EQ(frontEnd.rows.size(), 3u);
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(frontEnd.Cell(static_cast<int>(i), 1), L"713.0 KB");
        EXPECT_EQ(Slot(i, 1).substr(43, 11), "FLPPY" + std::to_string(i) + "     ");
    }
}

TEST_F(DriveFormatTest, ProgressCompletionAndTheDriveFoundAgain) {
    ASSERT_EQ(manager.FormatDrive(host, 3, Format12M, 1, DosNone), BLK_OK);
    std::vector<std::wstring> titles = {L"Format [E:] - 1/3", L"Format [E:] - 2/3", L"Format [E:] - 3/3"};
    EXPECT_EQ(host.titles, titles);
    std::vector<std::string> events = {"begin 3", "open",     "close",      "ignore on",
                                       "restart", "reselect", "ignore off", "end"};
    EXPECT_EQ(host.events, events);
    EXPECT_EQ(host.informations, std::vector<std::wstring>{L"Format complete"});
}

TEST_F(DriveFormatTest, CancelAfterKBlocksLeavesKBlocksAndTheirCount) {
    host.cancelAfter = 8;
    ASSERT_EQ(manager.FormatDrive(host, 20, Format144M, 1, DosNone), BLK_OK);
    EXPECT_EQ(host.titles.size(), 8u);
    EXPECT_EQ(host.titles.back(), L"Format [E:] - 8/20");
    EXPECT_TRUE(host.informations.empty());  // no "Format complete" after a cancel
    EXPECT_EQ(DriveSectors(3071, 1).substr(80, 14), std::string("MAX BLOCK:008") + '\0');
    EXPECT_EQ(DriveSectors(8 * kSlotSectors, 1).substr(0, 3), std::string(3, '\0'));
    EXPECT_EQ(Slot(9, 1), std::string(kSectorSize, '\0'));  // never reached

    AttachDrive();
    EXPECT_EQ(manager.CountBlocks(LastSector()), 8u);
}

TEST_F(DriveFormatTest, BootableFormatWritesEveryBlockWholeWhateverTheQuickSetting) {
    ASSERT_EQ(manager.FormatDrive(host, 2, Format144M, 1, Dos622), BLK_OK);
    ASSERT_GE(log->writes.size(), 4u);
    EXPECT_EQ(log->writes[0], (Transfer{0, 2880}));
    EXPECT_EQ(log->writes[2], (Transfer{3072, 2880}));
    AttachDrive();
    FloppyFormat code;
    ASSERT_EQ(manager.LoadBlockImage(1, &code), BLK_OK);
    auto entries = RootEntries(19, 14);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].name, "IO.SYS");
    EXPECT_EQ(entries[3].name, "FLPPY1");
}

TEST_F(DriveFormatTest, WriteFailurePartWayKeepsEarlierBlocksButWritesNoCount) {
    log->writesBeforeFailure = 4;  // blocks 0 and 1 with their stamps
    EXPECT_EQ(manager.FormatDrive(host, 5, Format144M, 1, DosNone), BLK_WIN_ERROR);
    EXPECT_EQ(log->writes.size(), 4u);
    std::string header = DriveSectors(3071, 1);
    EXPECT_EQ(header.substr(0, 12), "UPDATE TIME:");
    EXPECT_EQ(header.substr(80, 10), std::string(10, '\0'));
    EXPECT_TRUE(host.informations.empty());
    EXPECT_EQ(host.events.back(), "end");
    EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "restart"), 0);
}

TEST_F(DriveFormatTest, DriveThatCannotBeOpenedFailsWithoutWriting) {
    host.openFails = true;
    EXPECT_EQ(manager.FormatDrive(host, 3, Format144M, 1, DosNone), BLK_WIN_ERROR);
    EXPECT_TRUE(log->writes.empty());
    std::vector<std::string> events = {"begin 3", "open", "end"};
    EXPECT_EQ(host.events, events);
}

TEST_F(DriveFormatTest, DriveThatDoesNotComeBackIsLookedForOneHundredAndOneTimes) {
    host.scansUntilFound = 1000;
    ASSERT_EQ(manager.FormatDrive(host, 1, Format720K, 1, DosNone), BLK_OK);
    EXPECT_EQ(host.scans, 101);
    EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "reselect"), 0);
    EXPECT_EQ(host.events.back(), "end");
    EXPECT_EQ(host.informations.size(), 1u);
}

TEST(DriveFormatTitles, TitlesNameTheDriveAndTheProgress) {
    EXPECT_EQ(FormatDriveTitle(L"E:"), L"Format [E:]");
    EXPECT_EQ(FormatProgressTitle(L"E:", 3, 25), L"Format [E:] - 3/25");
    EXPECT_EQ(FormatCancellingTitle(L"F:"), L"Format [F:] ...");
}

}  // namespace
