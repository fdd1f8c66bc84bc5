// Every job kind as the user meets it: what it tells the front end, in order, for a run of each
// kind with its question or failure, compared whole with tests/golden/jobs/<kind>.txt.
#include <algorithm>
#include <filesystem>

#include "blocks/drive_format.h"
#include "disk/wide_path.h"
#include "jobs/format_worker.h"
#include "jobs/job_directories.h"
#include "support/drive_image_test.h"
#include "support/golden.h"
#include "support/image_format_host.h"
#include "support/test_bytes.h"

namespace fs = std::filesystem;

namespace {

class JobTranscriptTest : public DriveImageTest {
protected:
    void SetUp() override { MakeDrive(6); }

    // Saves a PC folder holding one file into a block, leaving the log as it was.
    void Fill(uint32_t block, const std::string& name, const std::string& bytes) {
        PutFile(UploadDir(block) + Sep() + name, bytes);
        const std::vector<std::string> log = frontEnd.log;
        Select({static_cast<int>(block)});
        ASSERT_EQ(Run(JOB_SAVE), 0);
        frontEnd.log = log;
    }

    // Runs a job under a heading in the log (a non-zero result shows as its "result:" line).
    void Step(const std::string& heading, int kind) {
        frontEnd.log.push_back("## " + heading);
        Run(kind);
    }

    // The log so far with placeholders for the folders of backups and blocks (which hold the
    // drive's letter on Windows and its file's name elsewhere) and for the scratch folder.
    std::string Transcript() {
        std::string text = frontEnd.Transcript();
        const std::string uploads = UploadDir(0).substr(0, UploadDir(0).size() - 10);
        for (const auto& [path, name] :
             {std::pair{BackupDir(), "<backup>"}, {uploads, "<uploads>"}, {dir.path(), "<tmp>"}})
            for (size_t at; (at = text.find(path)) != std::string::npos;)
                text.replace(at, path.size(), name);
        std::replace(text.begin(), text.end(), '\\', '/');
        return text;
    }
};

TEST_F(JobTranscriptTest, ListAndRefresh) {
    FormatDrive(5);
    Select({1, 2});
    runner.parameters.floppyFormat = Format720K;
    ASSERT_EQ(Run(JOB_FORMAT), 0);
    Fill(1, "A.TXT", TestBytes(300000, 1));
    WriteDriveBytes(3 * kSlotSectors, std::string(kSectorSize, '\0'));  // block 3 loses its boot sector
    frontEnd.log.clear();
    Step("list", JOB_LIST);
    Step("a job kind that does not exist", 8);
    faults->transfers.clear();
    faults->failAt = 6;  // the head of block 2, read after block 1's
    Step("list, the head of block 2 unreadable", JOB_LIST);
    faults->failAt = 0;
    ExpectGolden("jobs/list.txt", Transcript() + frontEnd.Table());
    Select({2});
    runner.parameters.floppyFormat = Format12M;
    ASSERT_EQ(Run(JOB_FORMAT), 0);
    frontEnd.rows[2].cells[1] = L"stale";
    frontEnd.log.clear();
    Step("refresh after block 2 was formatted as 1.2M, the list shown stale", JOB_REFRESH);
    ExpectGolden("jobs/refresh.txt", Transcript() + frontEnd.Table());
}

TEST_F(JobTranscriptTest, Format) {
    FormatDrive(4);
    Select({0, 2});
    runner.parameters = {L"", Format720K, 1, Dos71};
    frontEnd.onStatus = [this](const std::wstring& text) {  // one job at a time: a second is dropped
        if (text != L" ")
            frontEnd.log.push_back(runner.RunJob(JOB_LIST, drive) ? "second job: ran" : "second job: dropped");
    };
    Step("blocks 0 and 2 as bootable 720K, a list asked for meanwhile", JOB_FORMAT);
    frontEnd.onStatus = nullptr;
    Select({});
    Step("nothing selected", JOB_FORMAT);
    Select({1, 2, 3});
    frontEnd.onStatus = [this](const std::wstring&) { blocks.cancelRequested.store(1); };
    Step("blocks 1 to 3, a cancel asked for while block 1 is formatted", JOB_FORMAT);
    frontEnd.onStatus = nullptr;
    Select({1});
    openFails = true;
    Step("block 1, the drive cannot be opened", JOB_FORMAT);
    ExpectGolden("jobs/format.txt", Transcript() + frontEnd.Table());
}

TEST_F(JobTranscriptTest, Save) {
    FormatDrive(5, Format720K);
    PutFile(UploadDir(1) + Sep() + "ONE.TXT", "first");
    PutFile(UploadDir(2) + Sep() + "Too big for the block.bin", TestBytes(800000, 2));  // 730,112 bytes fit
    PutFile(UploadDir(3) + Sep() + "Sub folder" + Sep() + "Three.txt", "third");
    PutFile(UploadDir(4) + Sep() + "COMMAND.COM", TestBytes(kBlockImageSize + 1, 4));
    const std::string two = Slot(2);
    Select({1, 2, 3});
    frontEnd.saveAnswers = {ANSWER_TRY_AGAIN, ANSWER_CONTINUE};
    Step("blocks 1 to 3, block 2 too small: try again, then continue", JOB_SAVE);
    EXPECT_TRUE(Slot(2) == two) << "a save that did not fit changed the block";
    Select({4, 1});
    Step("blocks 1 and 4, block 4 holds a boot file larger than a slot: cancel", JOB_SAVE);
    fs::remove_all(fs::u8path(UploadDir(1)));
    const std::string one = Slot(1);
    Select({1, 3});
    Step("blocks 1 and 3, the folder of block 1 missing", JOB_SAVE);
    EXPECT_TRUE(Slot(1) == one) << "a missing folder emptied its block";
    ExpectGolden("jobs/save.txt", Transcript() + frontEnd.Table());
}

TEST_F(JobTranscriptTest, OpenAndBackup) {
    FormatDrive(4);
    Fill(0, "A long file name.txt", "zero");
    Fill(3, "Sub folder" + Sep() + "Deep data.bin", TestBytes(5000, 3));
    fs::remove_all(fs::u8path(uploadRoot));
    frontEnd.onStatus = [this](const std::wstring&) { frontEnd.log.push_back("busy: " + std::to_string(blocks.busy)); };
    Select({3});
    Step("block 3", JOB_OPEN);
    Select({0, 3});
    Step("blocks 0 and 3", JOB_OPEN);
    blocks.dirDelAllFile = 0;
    fs::remove(fs::u8path(UploadDir(0) + Sep() + "A long file name.txt"));
    fs::create_directories(fs::u8path(UploadDir(0) + Sep() + "A long file name.txt"));
    Step("blocks 0 and 3, a folder where block 0's file goes", JOB_OPEN);
    runner.SetDirectoryRoot(WideFromUtf8(dir.File("elsewhere")));
    blocks.readOpenDirBit = 0;
    Select({3});
    Step("block 3 into a folder of its own, not shown", JOB_OPEN);
    EXPECT_TRUE(Exists(dir.File("elsewhere") + Sep() + "FLOPPY003" + Sep() + "Sub folder"));
    fs::remove_all(fs::u8path(dir.File("elsewhere")));
    frontEnd.onStatus = [this](const std::wstring&) { blocks.cancelRequested.store(1); };
    Select({0, 3});
    Step("blocks 0 and 3, a cancel asked for while block 0 is read", JOB_OPEN);
    EXPECT_TRUE(Exists(dir.File("elsewhere") + Sep() + "FLOPPY000"));
    EXPECT_FALSE(Exists(dir.File("elsewhere") + Sep() + "FLOPPY003")) << "block 3 was opened after the cancel";
    ExpectGolden("jobs/open.txt", Transcript());

    frontEnd.log.clear();
    frontEnd.onStatus = nullptr;
    runner.SetDirectoryRoot(L"");
    blocks.readOpenDirBit = 1;
    WriteDriveBytes(2 * kSlotSectors, std::string(kSectorSize, '\0'));  // block 2 holds no volume
    Step("every block (a backup takes them all), block 2 unreadable", JOB_BACKUP);
    EXPECT_EQ(ReadWholeFile(BackupDir() + Sep() + "FLOPPY000" + Sep() + "A long file name.txt"), "zero");
    EXPECT_TRUE(Exists(BackupDir() + Sep() + "FLOPPY003" + Sep() + "Sub folder")) << "the backup stopped at block 2";
    fs::remove_all(fs::u8path(BackupDir()));
    frontEnd.onStatus = [this](const std::wstring&) { blocks.cancelRequested.store(1); };
    Step("every block, a cancel asked for while block 0 is backed up", JOB_BACKUP);
    EXPECT_TRUE(Exists(BackupDir() + Sep() + "FLOPPY000"));
    EXPECT_FALSE(Exists(BackupDir() + Sep() + "FLOPPY001")) << "block 1 was backed up after the cancel";
    ExpectGolden("jobs/backup.txt", Transcript());
}

TEST_F(JobTranscriptTest, ExportAndWriteImages) {
    FormatDrive(4, Format720K);
    Fill(1, "NOTE.TXT", "exported block");
    Select({2, 1});
    runner.parameters.imagePath = WideFromUtf8(dir.File("block.img"));
    Step("blocks 1 and 2 selected", JOB_EXPORT_IMAGE);
    EXPECT_TRUE(ReadWholeFile(dir.File("block.img")) == Slot(1).substr(0, 1440 * kSectorSize));
    runner.parameters.imagePath = WideFromUtf8(dir.File("missing") + Sep() + "block.img");
    Step("into a folder that does not exist", JOB_EXPORT_IMAGE);
    ExpectGolden("jobs/export_image.txt", Transcript());

    frontEnd.log.clear();
    const std::string image = dir.File("text.img"), three = Slot(3);
    WriteWholeFile(image, TestBytes(1000, 5));
    runner.parameters.imagePath = WideFromUtf8(image);
    Select({1, 3});
    frontEnd.yesNoAnswers = {true, false};
    Step("an image that is not FAT12 into blocks 1 and 3: yes, then no", JOB_WRITE_IMAGE);
    EXPECT_EQ(Slot(1).substr(0, 1024), TestBytes(1000, 5) + std::string(24, '\0'));
    EXPECT_TRUE(Slot(3) == three) << "block 3 was written after the user said no";
    WriteWholeFile(image, TestBytes(kBlockImageSize + 1, 6));
    Step("an image larger than a slot", JOB_WRITE_IMAGE);
    ExpectGolden("jobs/write_image.txt", Transcript() + frontEnd.Table());
}

// The format dialog's side of a whole-drive format, written into the front end's log.
struct LoggingHost : ImageFormatHost {
    RecordingFrontEnd& told;
    std::atomic<int32_t>&cancel, &running;
    bool openFails = false;
    uint32_t cancelAfter = 0;
    int scans = 0, scansUntilFound = 1;

    LoggingHost(SectorAccess& s, std::wstring path, RecordingFrontEnd& f, BlockManager& b, FormatWorker& w)
        : ImageFormatHost(s, path), told(f), cancel(b.cancelRequested), running(w.formatRunning) {}
    void Log(const std::string& line) { told.log.push_back(line); }
    bool OpenDrive() override { return Log("open"), !openFails && ImageFormatHost::OpenDrive(); }
    void CloseDrive() override { Log("close"), ImageFormatHost::CloseDrive(); }
    void BeginProgress(uint32_t total) override {
        Log("begin: " + std::to_string(total) + " blocks, running " + std::to_string(running.load()));
    }
    void ShowProgress(uint32_t done, uint32_t total) override {
        Log("title: " + Utf8FromWide(FormatProgressTitle(L"Y:", done, total)));
        if (done == cancelAfter) cancel.store(1);
    }
    void EndProgress() override { Log("end, looked for the drive " + std::to_string(scans) + " times"); }
    void SetIgnoreDeviceChanges(bool on) override { Log(on ? "ignore changes: on" : "ignore changes: off"); }
    void RestartDevice() override { Log("restart"); }
    bool FindDriveAgain() override { return ++scans >= scansUntilFound; }
    void ReselectDrive() override { Log("reselect"); }
    void Inform(const std::wstring& text) override { told.Inform(text); }
};

TEST_F(JobTranscriptTest, FormatWorker) {
    FormatWorker worker(blocks);
    LoggingHost host(sectors, drive.imagePath, frontEnd, blocks, worker);
    auto format = [&](const std::string& heading, uint32_t count, int floppyFormat) {
        host.Log("## " + heading);
        host.scans = 0;
        const JobParameters parameters{L"", floppyFormat, 1, DosNone};
        const int result =
            worker.Run(host, count, parameters, [&](const BlockFailure& f) { frontEnd.ShowBlockFailure(f); });
        host.Log("returned " + std::to_string(result) + ", running " + std::to_string(worker.formatRunning.load()));
        Run(JOB_LIST);
    };
    format("3 blocks of 1.2M", 3, Format12M);
    format("0 blocks", 0, Format144M);
    format("7 blocks on a drive of 6 slots", 7, Format144M);
    host.cancelAfter = 2;
    format("5 blocks of 720K, cancelled after 2", 5, Format720K);
    host.cancelAfter = 0;
    host.openFails = true;
    format("the drive cannot be opened", 3, Format144M);
    host.openFails = false;
    host.scansUntilFound = 1000;
    format("2 blocks of 1.44M, the drive not found again", 2, Format144M);
    ExpectGolden("jobs/format_worker.txt", Transcript() + frontEnd.Table());
}

// Where blocks go for a device with no file of its name (the fixture's own drive is in every
// transcript's folders), and how many blocks a drive can be formatted into.
TEST(JobRules, FoldersOfADeviceAndTheBlockCountLimit) {
    DriveRecord device;
    device.driveName = L"/dev/sdc";
    JobDirectories posix(DirectoryStyle{L'/', false}, device, L"");
    EXPECT_EQ(Utf8FromWide(posix.BlockDirectory(posix.UploadRoot(L"/up"), 7)), "/up/sdc/FLOPPY007");
    std::vector<uint32_t> limits;
    for (uint32_t last : {3071u, 3072u * 5 - 1, 3072u * 5, 3072u * 250})
        limits.push_back(MaxFormatBlocks(last));
    EXPECT_EQ(limits, (std::vector<uint32_t>{0, 4, 5, 100}));
}

}  // namespace
