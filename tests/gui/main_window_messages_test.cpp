// Message boxes over the main window, shown by jobs on their worker thread with their exact texts
// and answered by the test; while one is open the job is still running, so the tree and list
// are disabled, the status bar keeps the job's text and a second job request is dropped.
#include "main_window_fixture.h"

#include <commctrl.h>

#include <random>

#include "ui/program_core.h"
#include "ui/resource.h"

namespace {

class MainWindowMessages : public MainWindowTest {
protected:
    std::string Level() const { return std::string(1, static_cast<char>(drive.driveName[0])); }
    // Bytes that no cluster of a floppy can hold less of (no two alike).
    static std::string Noise(size_t bytes) {
        std::mt19937 random(7);
        std::string noise(bytes, '\0');
        for (char& c : noise)
            c = static_cast<char>(random());
        return noise;
    }
};

TEST_F(MainWindowMessages, AFolderTooLargeForItsBlockAsksWhileTheJobHoldsTheWindow) {
    OpenWindow();
    PutFile(uploadRoot + "/" + Level() + "/FLOPPY003/Too large.bin", Noise(1600000));
    // A mark in a cell: a refresh (F5) would rewrite it.
    RowsOf(list);
    LVITEMW mark = {};
    mark.iSubItem = 3;
    mark.pszText = const_cast<wchar_t*>(L"marked");
    SendMessageW(list, LVM_SETITEMTEXTW, 8, reinterpret_cast<LPARAM>(&mark));

    SelectRows(list, {3});
    Command(ID_BLOCK_SAVE);
    OpenDialog box = WaitForDialog();
    ASSERT_NE(box.hwnd, nullptr);
    EXPECT_EQ(box.caption, L"[Tanvale] Slotwise");
    EXPECT_EQ(box.text, L"003  floppy disk block, surpass the biggest capability \n\n Try or not?");
    EXPECT_EQ(box.owner, frame);
    // Cancel, Try Again and Continue.
    EXPECT_NE(GetDlgItem(box.hwnd, IDCANCEL), nullptr);
    EXPECT_NE(GetDlgItem(box.hwnd, IDTRYAGAIN), nullptr);
    EXPECT_NE(GetDlgItem(box.hwnd, IDCONTINUE), nullptr);

    // The job still runs.
    EXPECT_FALSE(IsWindowEnabled(list));
    EXPECT_FALSE(IsWindowEnabled(tree));
    EXPECT_EQ(StatusTextOf(frame), L"Writing the 3 floppy disk block, remain unwritten floppy disk block: 0");
    ASSERT_TRUE(WaitUntil([&] { return !MenuItemEnabled(frame, ID_DRIVE_REFRESH); }));
    EXPECT_FALSE(MenuItemEnabled(frame, ID_BLOCK_OPEN));
    EXPECT_FALSE(MenuItemEnabled(frame, ID_OPTION_SELECT_ALL));
    EXPECT_FALSE(MenuItemEnabled(frame, ID_DRIVE_FORMAT));
    EXPECT_TRUE(MenuItemEnabled(frame, ID_DRIVE_BACKUP));
    EXPECT_FALSE(ToolButtonEnabled(frame, ID_DRIVE_REFRESH));
    // F5 and Ctrl+A reach their handlers and do nothing.
    SendMessageW(frame, WM_COMMAND, MAKEWPARAM(ID_DRIVE_REFRESH, 1), 0);
    SendMessageW(frame, WM_COMMAND, MAKEWPARAM(ID_OPTION_SELECT_ALL, 1), 0);

    ASSERT_TRUE(AnswerDialog(box, IDCANCEL));
    ASSERT_TRUE(WaitForJobs());
    EXPECT_EQ(WaitForDialog(500).hwnd, nullptr);
    EXPECT_EQ(RowsOf(list)[8][3], L"marked");
    EXPECT_EQ(SelectedRowsOf(list), std::vector<int>{3});
    EXPECT_TRUE(IsWindowEnabled(list));
    EXPECT_TRUE(IsWindowEnabled(tree));
}

TEST_F(MainWindowMessages, ContinueGoesOnWithTheNextSelectedBlock) {
    OpenWindow();
    PutFile(uploadRoot + "/" + Level() + "/FLOPPY003/Too large.bin", Noise(1600000));
    PutFile(uploadRoot + "/" + Level() + "/FLOPPY004/Fits.txt", "a small file\r\n");

    SelectRows(list, {3, 4});
    Command(ID_BULK_SAVE);
    OpenDialog box = WaitForDialog();
    ASSERT_NE(box.hwnd, nullptr);
    EXPECT_EQ(box.text, L"003  floppy disk block, surpass the biggest capability \n\n Try or not?");
    ASSERT_TRUE(AnswerDialog(box, IDCONTINUE));
    ASSERT_TRUE(WaitForJobs());
    // Block 4 now holds its folder: opening it gives the file back.
    PutFile(uploadRoot + "/" + Level() + "/FLOPPY004/Fits.txt", "changed on the PC\r\n");
    SelectRows(list, {4});
    Program().blocks.dirDelAllFile = 1;
    ASSERT_TRUE(RunCommand(ID_BLOCK_OPEN));
    EXPECT_EQ(FileBytes(uploadRoot + "/" + Level() + "/FLOPPY004/Fits.txt"), "a small file\r\n");
}

TEST_F(MainWindowMessages, TryAgainRunsTheSameBlockAgain) {
    OpenWindow();
    const std::string large = uploadRoot + "/" + Level() + "/FLOPPY003/Too large.bin";
    PutFile(large, Noise(1600000));
    SelectRows(list, {3});
    Command(ID_BLOCK_SAVE);
    OpenDialog box = WaitForDialog();
    ASSERT_NE(box.hwnd, nullptr);
    // The user makes room meanwhile.
    PutFile(large, Noise(1000));
    ASSERT_TRUE(AnswerDialog(box, IDTRYAGAIN));
    ASSERT_TRUE(WaitForJobs());
    EXPECT_EQ(WaitForDialog(500).hwnd, nullptr);
    EXPECT_NE(RowsOf(list)[3][2], L"n/a");
}

TEST_F(MainWindowMessages, AFailedJobIsReportedWithItsResultText) {
    OpenWindow();
    const std::string image = dir.File("too large.img");
    PutFile(image, std::string(1572865, 'x'));
    const std::string before = FileBytes(drivePath);

    SelectRows(list, {6});
    Command(ID_BLOCK_WRITE_IMAGE);
    OpenDialog chooser = WaitForDialog();
    ASSERT_NE(chooser.hwnd, nullptr);
    ASSERT_TRUE(ChooseFileInDialog(chooser, Wide(image)));
    OpenDialog box = WaitForDialog();
    ASSERT_NE(box.hwnd, nullptr);
    EXPECT_EQ(box.caption, L"[Tanvale] Slotwise");
    EXPECT_EQ(box.text, L"Error: the image file must less than 1.5M  ");
    ASSERT_TRUE(AnswerDialog(box, IDOK));
    ASSERT_TRUE(WaitForJobs());
    EXPECT_TRUE(FileBytes(drivePath) == before);
    ASSERT_TRUE(WaitUntil([&] {
        return StatusTextOf(frame) ==
               L"Serial number: 006 Capability: 1.39 MB  Used: 0%  Renew time: 2026-12-05 19-59-44 ";
    }));
}

TEST_F(MainWindowMessages, AnImageWithoutFat12IsWrittenOnlyWhenTheUserSaysYes) {
    OpenWindow();
    const std::string image = dir.File("not fat12.img");
    PutFile(image, std::string(1474560, '\0'));
    const std::string before = FileBytes(drivePath);

    SelectRows(list, {6});
    Command(ID_BLOCK_WRITE_IMAGE);
    OpenDialog chooser = WaitForDialog();
    ASSERT_NE(chooser.hwnd, nullptr);
    ASSERT_TRUE(ChooseFileInDialog(chooser, Wide(image)));
    OpenDialog box = WaitForDialog();
    ASSERT_NE(box.hwnd, nullptr);
    EXPECT_EQ(box.text, L"The format of image file is not FAT12 \n write or not?");
    EXPECT_EQ(box.owner, frame);
    ASSERT_TRUE(AnswerDialog(box, IDNO));
    ASSERT_TRUE(WaitForJobs());
    EXPECT_TRUE(FileBytes(drivePath) == before);
}

TEST_F(MainWindowMessages, ASecondJobWhileOneRunsIsDropped) {
    OpenWindow();
    const std::string image = dir.File("not fat12.img");
    PutFile(image, std::string(1474560, '\0'));
    SelectRows(list, {6});
    Command(ID_BLOCK_WRITE_IMAGE);
    OpenDialog chooser = WaitForDialog();
    ASSERT_NE(chooser.hwnd, nullptr);
    ASSERT_TRUE(ChooseFileInDialog(chooser, Wide(image)));
    OpenDialog box = WaitForDialog();
    ASSERT_NE(box.hwnd, nullptr);

    // Backup disk stays enabled while a job runs; its job is dropped, and so is an open.
    SendMessageW(frame, WM_COMMAND, ID_DRIVE_BACKUP, 0);
    SendMessageW(frame, WM_COMMAND, ID_BLOCK_OPEN, 0);
    ASSERT_TRUE(AnswerDialog(box, IDNO));
    ASSERT_TRUE(WaitForJobs());
    EXPECT_EQ(WaitForDialog(500).hwnd, nullptr);
    EXPECT_TRUE(FolderContents(backupRoot).empty());
    EXPECT_TRUE(FolderContents(uploadRoot).empty());
    EXPECT_TRUE(ExplorerStarts().empty());
}

}  // namespace
