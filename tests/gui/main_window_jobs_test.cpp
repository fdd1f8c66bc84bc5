// Jobs started from the main window run on the real worker thread over the selected rows and
// make what the job core makes for slotwise-cli: opened folders, saved blocks, written and
// exported images, backups; Explorer is asked for the folder a job filled.
#include "main_window_fixture.h"

#include <commctrl.h>

#include <filesystem>

#include "blocks/drive_format.h"
#include "disk/image_drive.h"
#include "disk/system_error.h"
#include "ui/job_threads.h"
#include "ui/program_core.h"
#include "ui/resource.h"

namespace {
namespace fs = std::filesystem;

class MainWindowJobs : public MainWindowTest {
protected:
    // The drive as it is now becomes the reference core's drive.
    void CopyDriveForReference() { CopyFileOver(drivePath, referencePath); }
    std::string Level() const { return std::string(1, static_cast<char>(drive.driveName[0])); }
};

TEST_F(MainWindowJobs, OpeningOneBlockFillsItsFolderAndShowsIt) {
    OpenWindow();
    CopyDriveForReference();
    ASSERT_EQ(RunReferenceJob(JOB_OPEN, {1}), 0);

    SelectRows(list, {1});
    ASSERT_TRUE(RunCommand(ID_BLOCK_OPEN));
    const std::string opened = uploadRoot + "/" + Level() + "/FLOPPY001";
    auto contents = FolderContents(opened);
    EXPECT_EQ(contents, FolderContents(referenceUpload + "/" + Level() + "/FLOPPY001"));
    EXPECT_EQ(contents.count("Letters and reports/Letter to the reader.txt"), 1u);
    EXPECT_EQ(ExplorerStarts(), (std::vector<std::wstring>{L"explorer " + Wide(uploadRoot) + L"\\" +
                                                           drive.driveName.substr(0, 1) + L"\\FLOPPY001\\."}));
}

TEST_F(MainWindowJobs, OpeningSeveralBlocksShowsTheDrivesFolder) {
    OpenWindow();
    CopyDriveForReference();
    ASSERT_EQ(RunReferenceJob(JOB_OPEN, {1, 2, 7}), 0);

    SelectRows(list, {1, 2, 7});
    ASSERT_TRUE(RunCommand(ID_BULK_OPEN));
    EXPECT_EQ(FolderContents(uploadRoot + "/" + Level()), FolderContents(referenceUpload + "/" + Level()));
    EXPECT_EQ(FolderContents(uploadRoot + "/" + Level()).count("FLOPPY007/"), 1u);
    EXPECT_EQ(ExplorerStarts(), (std::vector<std::wstring>{L"explorer " + Wide(uploadRoot) + L"\\" +
                                                           drive.driveName.substr(0, 1) + L"\\."}));
}

TEST_F(MainWindowJobs, SavingWritesTheFolderIntoTheBlockAndRefreshesItsRow) {
    OpenWindow();
    for (const std::string& root : {uploadRoot, referenceUpload}) {
        PutFile(root + "/" + Level() + "/FLOPPY004/Notes from the meeting.txt", "agenda\r\n");
        PutFile(root + "/" + Level() + "/FLOPPY004/Pictures/Holiday at the sea.bmp", std::string(300000, 'p'));
    }
    CopyDriveForReference();
    ASSERT_EQ(RunReferenceJob(JOB_SAVE, {4}), 0);

    SelectRows(list, {4});
    ASSERT_TRUE(RunCommand(ID_BLOCK_SAVE));
    EXPECT_TRUE(FileBytes(drivePath) == FileBytes(referencePath));
    EXPECT_NE(RowsOf(list)[4][2], L"0%");
    EXPECT_EQ(RowsOf(list)[4], (Row{reference.list.rows[4].cells[0], reference.list.rows[4].cells[1],
                                    reference.list.rows[4].cells[2], reference.list.rows[4].cells[3]}));
    EXPECT_TRUE(ExplorerStarts().empty());
}

TEST_F(MainWindowJobs, WritingAnImageAsksForTheFileAndWritesEverySelectedBlock) {
    OpenWindow();
    CopyDriveForReference();
    const std::string image = dir.File("block2.img");
    referenceRunner.parameters.imagePath = Wide(image);
    ASSERT_EQ(RunReferenceJob(JOB_EXPORT_IMAGE, {2}), 0);
    ASSERT_EQ(RunReferenceJob(JOB_WRITE_IMAGE, {5, 7}), 0);

    SelectRows(list, {5, 7});
    Command(ID_BULK_WRITE_IMAGE);
    OpenDialog dialog = WaitForDialog();
    ASSERT_NE(dialog.hwnd, nullptr);
    EXPECT_EQ(dialog.caption, L"Select to write image file");
    EXPECT_EQ(FileTypesInDialog(dialog), (std::vector<std::wstring>{L"Image file (*.img) ", L"all file(*.*)"}));
    ASSERT_TRUE(ChooseFileInDialog(dialog, Wide(image)));
    ASSERT_TRUE(WaitUntil([&] { return RowsOf(list)[7][2] == RowsOf(list)[2][2]; }));
    ASSERT_TRUE(WaitForJobs());
    EXPECT_TRUE(FileBytes(drivePath) == FileBytes(referencePath));
    EXPECT_EQ(RowsOf(list)[5][2], RowsOf(list)[2][2]);
    EXPECT_NE(RowsOf(list)[5][2], L"0%");
}

TEST_F(MainWindowJobs, ExportingProposesTheBlocksNameAndWritesItsImage) {
    OpenWindow();
    CopyDriveForReference();
    referenceRunner.parameters.imagePath = Wide(dir.File("reference-export.img"));
    ASSERT_EQ(RunReferenceJob(JOB_EXPORT_IMAGE, {2}), 0);

    SelectRows(list, {2});
    Command(ID_BLOCK_EXPORT_IMAGE);
    OpenDialog dialog = WaitForDialog();
    ASSERT_NE(dialog.hwnd, nullptr);
    EXPECT_EQ(dialog.caption, L"Save image file");
    EXPECT_EQ(FileNameInDialog(dialog), L"FIMG002");
    const std::string exported = dir.File("export.img");
    ASSERT_TRUE(ChooseFileInDialog(dialog, Wide(exported)));
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(fs::u8path(exported)); }));
    ASSERT_TRUE(WaitForJobs());
    EXPECT_TRUE(FileBytes(exported) == FileBytes(dir.File("reference-export.img")));
    EXPECT_EQ(FileBytes(exported).size(), 1474560u);
}

TEST_F(MainWindowJobs, ExportingWithNothingSelectedOpensNoDialog) {
    OpenWindow();
    SelectRows(list, {});
    SendMessageW(frame, WM_COMMAND, ID_BLOCK_EXPORT_IMAGE, 0);
    EXPECT_EQ(WaitForDialog(300).hwnd, nullptr);
}

TEST_F(MainWindowJobs, BackingUpCopiesEveryBlockIntoAStampedFolder) {
    OpenWindow();
    CopyDriveForReference();
    ASSERT_EQ(RunReferenceJob(JOB_BACKUP, {}), 0);

    SelectRows(list, {3});
    ASSERT_TRUE(RunCommand(ID_DRIVE_BACKUP));
    const std::string stamp = "20261205195944";
    auto contents = FolderContents(backupRoot + "/" + stamp + "/" + Level());
    EXPECT_EQ(contents, FolderContents(referenceBackup + "/" + stamp + "/" + Level()));
    EXPECT_EQ(contents.count("FLOPPY000/"), 1u);
    EXPECT_EQ(contents.count("FLOPPY011/"), 1u);
    EXPECT_EQ(ExplorerStarts(), (std::vector<std::wstring>{L"explorer " + Wide(backupRoot) + L"\\" + kTestStamp +
                                                           L"\\" + drive.driveName.substr(0, 1) + L"\\."}));
}

// The format dialog's side of a whole-drive format, over the program's own sector access.
class RecordingFormatHost : public DriveFormatHost {
public:
    explicit RecordingFormatHost(const std::wstring& path, bool opens = true) : path_(path), opens_(opens) {}
    bool OpenDrive() override {
        std::unique_ptr<ImageDrive> drive = opens_ ? ImageDrive::Open(path_) : nullptr;
        if (!drive) {
            SetLastSystemError(ERROR_ACCESS_DENIED);
            return false;
        }
        Program().sectors.AttachDrive(std::move(drive));
        return true;
    }
    void CloseDrive() override { Program().sectors.CloseDrive(); }
    void BeginProgress(uint32_t) override {}
    void ShowProgress(uint32_t done, uint32_t) override { progress.push_back(done); }
    void EndProgress() override {}
    void SetIgnoreDeviceChanges(bool) override {}
    void RestartDevice() override {}
    bool FindDriveAgain() override { return true; }
    void ReselectDrive() override {}
    void Inform(const std::wstring& text) override { informed.push_back(text); }

    std::vector<uint32_t> progress;
    std::vector<std::wstring> informed;

private:
    std::wstring path_;
    bool opens_;
};

TEST_F(MainWindowJobs, TheFormatWorkerFormatsAWholeDriveOnItsOwnThread) {
    OpenWindow();
    RecordingFormatHost host(Wide(drivePath));
    std::vector<bool> controls;
    FormatDriveRequest request;
    request.host = &host;
    request.owner = frame;
    request.blockCount = 4;
    request.parameters.floppyFormat = Format720K;
    request.parameters.quickFormat = 1;
    request.enableControls = [&](bool on) { controls.push_back(on); };
    bool started = false, second = true;
    RunOnWindowThread(frame, [&] {
        started = StartFormatDrive(request);
        // One format at a time: formatRunning is set before the worker begins.
        second = StartFormatDrive(request);
    });
    EXPECT_TRUE(started);
    EXPECT_FALSE(second);
    ASSERT_TRUE(WaitUntil([] { return Program().formatWorker.formatRunning.load() == 0; }));
    EXPECT_EQ(controls, (std::vector<bool>{false, true}));
    EXPECT_EQ(host.progress, (std::vector<uint32_t>{1, 2, 3, 4}));
    EXPECT_EQ(host.informed, std::vector<std::wstring>{L"Format complete"});
    std::vector<Row> rows = ReferenceRows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[3][1], L"713.0 KB");
}

TEST_F(MainWindowJobs, AFailedWholeDriveFormatIsReportedOverTheDialog) {
    OpenWindow();
    RecordingFormatHost host(Wide(drivePath), false);
    std::vector<bool> controls;
    FormatDriveRequest request;
    request.host = &host;
    request.owner = frame;
    request.blockCount = 4;
    request.enableControls = [&](bool on) { controls.push_back(on); };
    RunOnWindowThread(frame, [&] { StartFormatDrive(request); });
    OpenDialog box = WaitForDialog();
    ASSERT_NE(box.hwnd, nullptr);
    EXPECT_EQ(box.owner, frame);
    EXPECT_NE(box.text.find(L"ccess"), std::wstring::npos) << box.text;
    // Until the report is answered the format still runs.
    EXPECT_EQ(Program().formatWorker.formatRunning.load(), 1);
    ASSERT_TRUE(AnswerDialog(box, IDOK));
    ASSERT_TRUE(WaitUntil([] { return Program().formatWorker.formatRunning.load() == 0; }));
    EXPECT_EQ(controls, (std::vector<bool>{false, true}));
    EXPECT_EQ(ReferenceRows().size(), kBlocks);
}

}  // namespace
