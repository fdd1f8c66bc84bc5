// Jobs started from the main window make what the job core makes for slotwise-cli (folders,
// blocks, images, backups) and fail as it fails, with a box over the window; while a job asks
// its question the window holds still: no second job, reload or format.
#include <windows.h>

#include <commctrl.h>
#include <dbt.h>

#include "disk/attached_images.h"
#include "disk/wide_path.h"
#include "main_window_fixture.h"
#include "support/test_bytes.h"
#include "ui/program_core.h"
#include "ui/resource.h"

namespace {

TEST_F(MainWindowTest, EveryJobFromTheWindowMakesWhatTheJobCoreMakes) {
    OpenWindow();
    // A folder with long names to save into block 4, for the window and for the reference alike.
    for (const std::string& folder : {windowUpload + "/" + letter + "/FLOPPY004", UploadDir(4)}) {
        PutFile(folder + "/Notes from the meeting.txt", "agenda\r\n");
        PutFile(folder + "/Pictures/Holiday at the sea.bmp", TestBytes(300000, 4));
    }
    PutFile(dir.File("large.img"), std::string(1572865, 'x'));
    runner.parameters.floppyFormat = Format720K;
    runner.parameters.quickFormat = 1;
    const std::wstring up = L"explorer " + WideFromUtf8(windowUpload) + L"\\" + shown.driveName.substr(0, 1);
    const std::wstring backup = L"explorer " + WideFromUtf8(windowBackup) + L"\\" + WideFromUtf8(kTestStamp) + L"\\" +
                                shown.driveName.substr(0, 1) + L"\\.";
    auto choose = [&](const char* file) {
        return [=](HWND dialog) { ChooseFile(dialog, WideFromUtf8(dir.File(file))); };
    };
    auto format = [](HWND dialog) {  // 720K, quick, and Start, which asks nothing
        Click(dialog, IDC_BLOCK_FORMAT_720K);
        Click(dialog, IDC_BLOCK_QUICK);
        PostMessageW(dialog, WM_COMMAND, IDC_BLOCK_START, 0);
    };
    const wchar_t* tooLarge =
        L"Error: the image file must less than 1.5M  \nFloppy disk block 006: the block on the drive was not damaged.";
    const struct {
        int command;  // 0: Enter on the list
        std::vector<int> rows;
        int kind;
        const char* image;  // the reference's image file
        int result;
        std::function<void(HWND dialog)> answer;  // the dialog the command opens
        const wchar_t* box;                       // the job's last word, a box answered with OK
        std::vector<std::wstring> explorer;
    } steps[] = {
        {ID_BLOCK_SAVE, {4}, JOB_SAVE, "", 0, nullptr, nullptr, {}},
        {0, {4}, JOB_OPEN, "", 0, nullptr, nullptr, {up + L"\\FLOPPY004\\."}},
        {ID_BULK_OPEN, {1, 4, 7}, JOB_OPEN, "", 0, nullptr, nullptr, {up + L"\\."}},
        {ID_BLOCK_EXPORT_IMAGE, {4}, JOB_EXPORT_IMAGE, "ref-block.img", 0, choose("block.img"), nullptr, {}},
        {ID_BULK_WRITE_IMAGE, {5, 7}, JOB_WRITE_IMAGE, "block.img", 0, choose("block.img"), nullptr, {}},
        {ID_BLOCK_WRITE_IMAGE, {6}, JOB_WRITE_IMAGE, "large.img", 257, choose("large.img"), tooLarge, {}},
        {ID_BULK_FORMAT, {3, 5}, JOB_FORMAT, "", 0, format, L"Format complete", {}},
        {ID_DRIVE_BACKUP, {3}, JOB_BACKUP, "", 0, nullptr, nullptr, {backup}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.kind);
        runner.parameters.imagePath = WideFromUtf8(dir.File(step.image));
        ASSERT_EQ(Reference(step.kind, step.rows), step.result);
        TakeExplorerStarts();
        SelectRows(list, step.rows);
        if (!step.answer) {
            SendMessageW(step.command ? frame : list, step.command ? WM_COMMAND : WM_KEYDOWN,
                         step.command ? step.command : VK_RETURN, 0);
        } else {
            Command(step.command);
            HWND dialog = FindDialog(frame);
            step.answer(dialog);
            WaitUntil([&] { return !IsWindow(dialog); });
            RunOn(frame, [] {});  // the command has started its job
        }
        if (step.box) {
            const Box box = WaitForBox(frame);
            EXPECT_EQ(box.caption + L"|" + box.text, L"[Tanvale] Slotwise|" + std::wstring(step.box));
            Answer(box.hwnd, IDOK);
        }
        ASSERT_TRUE(WaitForJobs());
        EXPECT_EQ(Differences(WindowDrive(), ReadWholeFile(drivePath)), "");
        EXPECT_EQ(Contents(windowUpload + "/" + letter), Contents(uploadRoot + "/Y"));
        EXPECT_EQ(Contents(windowBackup + "/" + kTestStamp + "/" + letter), Contents(BackupDir()));
        EXPECT_EQ(Differences(ReadWholeFile(dir.File("block.img")), ReadWholeFile(dir.File("ref-block.img"))), "");
        EXPECT_EQ(TakeExplorerStarts(), step.explorer);
        EXPECT_EQ(Rows(list), ReferenceRows());
    }
}

TEST_F(MainWindowTest, WhileAJobAsksItsQuestionNothingElseStartsAndTheAnswerDecides) {
    OpenWindow();
    for (const std::string& root : {windowUpload + "/" + letter, uploadRoot + "/Y"}) {
        PutFile(root + "/FLOPPY003/Too large.bin", TestBytes(1600000, 3));
        PutFile(root + "/FLOPPY004/Fits.txt", "a small file\r\n");
    }
    frontEnd.saveAnswers.push_back(ANSWER_CONTINUE);
    ASSERT_EQ(Reference(JOB_SAVE, {3, 4}), 0);
    // A mark in a cell: a reload would rewrite it.
    ListView_SetItemText(list, 6, 3, const_cast<wchar_t*>(L"marked"));
    TakeExplorerStarts();

    SelectRows(list, {3, 4});
    Command(ID_BULK_SAVE);
    const Box question = WaitForBox(frame);
    EXPECT_EQ(question.caption + L"|" + question.text,
              L"[Tanvale] Slotwise|003  floppy disk block, surpass the biggest capability \n\n Try or not?");
    EXPECT_FALSE(IsWindowEnabled(list) || IsWindowEnabled(tree));
    const std::vector<int> commands = {ID_DRIVE_FORMAT, ID_DRIVE_REFRESH,     ID_BLOCK_OPEN,
                                       ID_BULK_SAVE,    ID_OPTION_SELECT_ALL, ID_DRIVE_BACKUP};
    EXPECT_TRUE(WaitUntil([&] {
        return CommandStates(frame, commands) == "1012:-- 1013:-- 1021:-- 1031:- 1057:- 5104:++";
    })) << CommandStates(frame, commands);
    // What the keyboard and the still enabled backup button send is dropped.
    for (int command : {ID_DRIVE_REFRESH, ID_OPTION_SELECT_ALL, ID_DRIVE_BACKUP, ID_BLOCK_OPEN})
        EXPECT_TRUE(SendReturns(frame, WM_COMMAND, MAKEWPARAM(command, 1))) << command;
    // Ctrl+F opens the format dialog (over the box: the job's input is the window's); it cannot start.
    Command(ID_DRIVE_FORMAT);
    HWND format = FindDialog(nullptr, IDC_DRIVE_LIST);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(GetDlgItem(format, IDC_DRIVE_START)); }));
    EXPECT_TRUE(SendReturns(format, WM_COMMAND, IDC_DRIVE_START));
    Answer(format, IDCANCEL);
    Command(ID_OPTION_SET);  // the settings dialog keeps the directories a job uses
    HWND settings = FindDialog(nullptr, IDC_UPLOAD_PATH);
    EXPECT_EQ(ControlStates(settings, {{"upload", IDC_UPLOAD_PATH}, {"browse", IDC_BACKUP_BROWSE}}),
              "upload(off) browse(off)");
    Answer(settings, IDCANCEL);

    // Continue goes on with block 4.
    Answer(question.hwnd, IDCONTINUE);
    ASSERT_TRUE(WaitForJobs());
    EXPECT_EQ(FindDialog(nullptr, 0, 0), nullptr);
    EXPECT_EQ(Differences(WindowDrive(), ReadWholeFile(drivePath)), "");
    EXPECT_NE(Rows(list).find(" | marked\n"), std::string::npos) << "the list was reloaded";
    EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 2);
    EXPECT_TRUE(IsWindowEnabled(list) && IsWindowEnabled(tree));
    EXPECT_EQ(Contents(windowBackup), "");
    EXPECT_TRUE(TakeExplorerStarts().empty());
}

// Removing the current drive while a whole-drive format of another runs: the window's timer
// would choose the next drive and start a job on the sector access layer the format is using.
TEST_F(MainWindowTest, NoJobStartsWhileAWholeDriveFormatRuns) {
    ASSERT_TRUE(CopyFileW(WideFromUtf8(drivePath).c_str(), WideFromUtf8(dir.File("other.img")).c_str(), FALSE));
    OpenWindow();
    AttachImage("other.img", 0);
    VolumeChange(DBT_DEVICEARRIVAL);
    std::atomic<int32_t>& formatting = Program().formatWorker.formatRunning;
    formatting.store(1);  // as the format worker holds it from its start to its report
    ProcessAttachedImages().Detach(shown.deviceNumber);
    VolumeChange(DBT_DEVICEREMOVECOMPLETE);
    SendMessageW(frame, WM_TIMER, 1, 0);  // a turn of the state timer
    ASSERT_TRUE(WaitForJobs());
    EXPECT_EQ(RowCount(list), 0) << "a job ran during the format: " << Rows(list);
    formatting.store(0);
    EXPECT_TRUE(WaitUntil([&] { return RowCount(list) == kBlocks; })) << "the other drive was not listed afterwards";
}

}  // namespace
