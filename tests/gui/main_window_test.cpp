// The main window on an image-backed drive: the device tree lists the drive, selecting it lists
// its blocks through job kind 0, the title names it, and selecting rows steers the status text
// and the command states; without any drive the title shows "[#]" and the block commands are off.
#include "main_window_fixture.h"

#include <commctrl.h>

#include <filesystem>

#include "disk/attached_images.h"
#include "ui/resource.h"

namespace {

TEST_F(MainWindowTest, TheTreeListsTheDriveAndItsBlocksFillTheList) {
    OpenWindow();
    TreeItems items = TreeItemsOf(tree);
    EXPECT_EQ(items.root, L"My computer");
    ASSERT_EQ(items.children.size(), 1u);
    EXPECT_EQ(items.children[0], drive.driveName);

    EXPECT_EQ(ColumnTitlesOf(list),
              (std::vector<std::wstring>{L"Serial number", L"Capability", L"Used ", L"Renew time"}));
    std::vector<Row> expected = ReferenceRows();
    ASSERT_EQ(expected.size(), kBlocks);
    EXPECT_EQ(RowsOf(list), expected);
    EXPECT_EQ(RowsOf(list)[0], (Row{L"000", L"1.39 MB", L"0%", L"2026-12-05 19-59-44"}));
    EXPECT_EQ(WindowTextOf(frame), L"[Tanvale] Slotwise V1.40 - www.tanvale.example - [" + drive.driveName + L"]");
}

TEST_F(MainWindowTest, WithoutAnyDriveTheTitleShowsHashAndTheBlockCommandsAreOff) {
    ProcessAttachedImages().Detach(drive.deviceNumber);
    attached = false;
    OpenWindow(false);
    EXPECT_TRUE(TreeItemsOf(tree).children.empty());
    EXPECT_EQ(WindowTextOf(frame), L"[Tanvale] Slotwise V1.40 - www.tanvale.example - [#]");
    ASSERT_TRUE(WaitUntil([&] { return !MenuItemEnabled(frame, ID_DRIVE_REFRESH); }));
    for (int command : {ID_DRIVE_REFRESH, ID_BLOCK_OPEN, ID_BLOCK_SAVE, ID_BLOCK_WRITE_IMAGE, ID_BLOCK_EXPORT_IMAGE,
                        ID_BLOCK_FORMAT, ID_BULK_OPEN, ID_BULK_SAVE, ID_BULK_WRITE_IMAGE, ID_BULK_FORMAT})
        EXPECT_FALSE(MenuItemEnabled(frame, command)) << command;
    for (int command : {ID_DRIVE_FORMAT, ID_OPTION_SELECT_ALL, ID_DRIVE_BACKUP, ID_FILE_UPLOAD_DIRECTORY,
                        ID_FILE_BACKUP_DIRECTORY, ID_FILE_ATTACH_IMAGE})
        EXPECT_TRUE(MenuItemEnabled(frame, command)) << command;
    EXPECT_FALSE(ToolButtonEnabled(frame, ID_DRIVE_REFRESH));
    EXPECT_FALSE(ToolButtonEnabled(frame, ID_BLOCK_OPEN));
    EXPECT_TRUE(ToolButtonEnabled(frame, ID_DRIVE_FORMAT));
    EXPECT_TRUE(ToolButtonEnabled(frame, ID_DRIVE_BACKUP));
    EXPECT_EQ(StatusTextOf(frame), L"The 0 floppy disk block");
}

TEST_F(MainWindowTest, SelectedRowsSetTheStatusTextAndTheCommandStates) {
    OpenWindow();
    std::vector<Row> rows = RowsOf(list);

    SelectRows(list, {3});
    const std::wstring one = L"Serial number: 003 Capability: " + rows[3][1] + L"  Used: " + rows[3][2] +
                             L"  Renew time: " + rows[3][3] + L" ";
    ASSERT_TRUE(WaitUntil([&] { return StatusTextOf(frame) == one; })) << StatusTextOf(frame);
    ASSERT_TRUE(WaitUntil([&] { return MenuItemEnabled(frame, ID_BLOCK_OPEN); }));
    EXPECT_TRUE(MenuItemEnabled(frame, ID_BLOCK_EXPORT_IMAGE));
    EXPECT_FALSE(MenuItemEnabled(frame, ID_BULK_OPEN));
    EXPECT_TRUE(ToolButtonEnabled(frame, ID_BLOCK_OPEN));
    EXPECT_TRUE(ToolButtonEnabled(frame, ID_BLOCK_SAVE));

    SelectRows(list, {1, 2, 5});
    ASSERT_TRUE(WaitUntil([&] { return StatusTextOf(frame) == L"Select floppy disk block of 3 "; }));
    ASSERT_TRUE(WaitUntil([&] { return MenuItemEnabled(frame, ID_BULK_SAVE); }));
    EXPECT_FALSE(MenuItemEnabled(frame, ID_BLOCK_SAVE));
    EXPECT_FALSE(ToolButtonEnabled(frame, ID_BLOCK_SAVE));
    EXPECT_TRUE(MenuItemEnabled(frame, ID_BULK_WRITE_IMAGE));

    SelectRows(list, {});
    ASSERT_TRUE(WaitUntil([&] { return StatusTextOf(frame) == L"The 12 floppy disk block"; }));
    ASSERT_TRUE(WaitUntil([&] { return !MenuItemEnabled(frame, ID_BULK_SAVE); }));
    EXPECT_FALSE(MenuItemEnabled(frame, ID_BLOCK_OPEN));
    EXPECT_TRUE(MenuItemEnabled(frame, ID_DRIVE_REFRESH));
}

TEST_F(MainWindowTest, ClosingEndsTheMessageLoopWithExitCodeOne) {
    OpenWindow();
    EXPECT_EQ(CloseWindow(), 1);
    EXPECT_EQ(FindMainWindow(), nullptr);
}

TEST_F(MainWindowTest, ExitClosesTheWindowTheSameWay) {
    OpenWindow();
    Command(ID_APP_EXIT);
    ASSERT_TRUE(WaitUntil([] { return FindMainWindow() == nullptr; }));
    EXPECT_EQ(CloseWindow(), 1);
    SettingsKey key;
    uint32_t view = 0;
    ASSERT_EQ(store.store().OpenKey(&key), 0);
    EXPECT_TRUE(key.ReadDword(L"LastSelStyle", &view));
}

TEST_F(MainWindowTest, TheDirectoryCommandsMakeTheirFolderAndShowIt) {
    OpenWindow();
    SendMessageW(frame, WM_COMMAND, ID_FILE_UPLOAD_DIRECTORY, 0);
    SendMessageW(frame, WM_COMMAND, ID_FILE_BACKUP_DIRECTORY, 0);
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(uploadRoot)));
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(backupRoot)));
    EXPECT_EQ(ExplorerStarts(), (std::vector<std::wstring>{L"explorer " + Wide(uploadRoot) + L"\\.",
                                                           L"explorer " + Wide(backupRoot) + L"\\."}));
}

TEST_F(MainWindowTest, TheFocusGoesToTheBlockListWhenTheWindowGetsIt) {
    OpenWindow();
    RunOnWindowThread(frame, [this] { SetFocus(tree); });
    RunOnWindowThread(frame, [this] { SetFocus(frame); });
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(frame, nullptr), &info));
    EXPECT_EQ(info.hwndFocus, list);
}

}  // namespace
