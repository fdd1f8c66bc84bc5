// The settings dialog, run modally over an owner window on a thread of its own as the main window
// runs it: what the user picks is stored into the program's block manager only when the
// directories are usable (made level by level); an unusable one is refused with its reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <memory>

#include "disk/wide_path.h"
#include "gui_harness.h"
#include "support/temp_dir.h"
#include "tests/settings/test_store.h"
#include "ui/program_core.h"
#include "ui/resource.h"
#include "ui/settings_dialog.h"

namespace {

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Read by the first Program() only: the program's own settings stay untouched.
        UseProgramSettings(store.store().location());
        CreateDirectoryW(upload.c_str(), nullptr);
        CreateDirectoryW(backup.c_str(), nullptr);
    }
    std::wstring Path(const char* name) {
        std::wstring path = WideFromUtf8(dir.File(name));
        std::replace(path.begin(), path.end(), L'/', L'\\');
        return path;
    }
    // Opens the dialog on the stored settings, types the directories (none: left as shown),
    // ticks Rename and presses OK once it is enabled (something differs from the stored settings).
    HWND Accept(const std::wstring& uploadText, const std::wstring& backupText) {
        BlockManager& blocks = Program().blocks;
        std::wcsncpy(blocks.savePath, upload.c_str(), kPathChars - 1);
        std::wcsncpy(blocks.backupPath, backup.c_str(), kPathChars - 1);
        blocks.fileExistMode = blocks.busy = 0;
        blocks.dirDelAllFile = blocks.readOpenDirBit = blocks.loadOpenDirBit = blocks.keepFileInfo = 1;
        ui = std::make_unique<UiThread>(
            [](HWND owner) {
                RunSettingsDialog(owner);
                return 0;
            },
            RECT{120, 60, 820, 660});
        HWND dialog = FindDialog(ui->owner(), IDC_UPLOAD_PATH);
        if (!uploadText.empty()) Type(dialog, IDC_UPLOAD_PATH, uploadText);
        if (!backupText.empty()) Type(dialog, IDC_BACKUP_PATH, backupText);
        Click(dialog, IDC_EXIST_RENAME);
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE; }));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return dialog;
    }
    // The directories and the options (file exists, clear, Explorer after open and after load,
    // and one the dialog leaves alone) as the block manager holds them.
    std::wstring Stored() {
        const BlockManager& b = Program().blocks;
        return std::wstring(b.savePath) + L" | " + b.backupPath + L" | " + std::to_wstring(b.fileExistMode) +
               std::to_wstring(b.dirDelAllFile) + std::to_wstring(b.readOpenDirBit) +
               std::to_wstring(b.loadOpenDirBit) + std::to_wstring(b.keepFileInfo);
    }

    TempDir dir;
    TestStore store;
    std::wstring upload = Path("up");
    std::wstring backup = Path("bak");
    std::unique_ptr<UiThread> ui;
};

TEST_F(SettingsDialogTest, WhatTheUserPicksIsStoredOnlyUpToAnUnusableDirectoryWhichIsRefusedWithItsReason) {
    const std::wstring nested = Path("new/upload/root");
    WriteWholeFile(dir.File("blocker"), "not a folder");
    const std::wstring blocked = Path("blocker/sub");
    // The system names a missing drive itself (Windows and Wine choose different codes for it).
    ASSERT_FALSE(CreateDirectoryW(L"Q:\\floppies", nullptr));
    const std::wstring missing = L"Q:\\floppies\n" + SystemText(GetLastError());
    const std::wstring unchanged = upload + L" | " + backup + L" | 01111";
    const std::wstring uploadKept = upload + L" | " + backup + L" | 11111";  // stored before the backup failed
    const struct {
        std::wstring upload, backup, box, stored;  // typed ("": as shown); the refusal; stored after Cancel
    } cases[] = {
        // Made level by level; one trailing backslash goes, also from a drive's root.
        {nested + L"\\", L"C:\\", L"", nested + L" | C: | 11111"},
        {L"DISK", L"", L"Path error, please input again", unchanged},
        {blocked, L"", blocked + L"\n" + SystemText(ERROR_ALREADY_EXISTS), unchanged},
        {L"", L"Q:\\floppies", missing, uploadKept},
        {L"", L"DISKBAK", L"Path error, please input again", uploadKept},
    };
    for (const auto& c : cases) {
        HWND dialog = Accept(c.upload, c.backup);
        Box box;  // none when the directories are usable: the dialog ends
        if (!c.box.empty()) {
            box = WaitForBox(dialog);
            Answer(box.hwnd, IDOK);
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
        EXPECT_EQ(ui->Result(), 0);
        EXPECT_EQ(box.caption + L"|" + box.text + L"|" + Stored(),
                  (c.box.empty() ? L"|" : L"[Tanvale] Slotwise|" + c.box) + L"|" + c.stored);
    }
    EXPECT_NE(GetFileAttributesW(nested.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

}  // namespace
