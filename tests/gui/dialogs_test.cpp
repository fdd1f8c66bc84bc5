// The dialog templates of the resource script: each dialog opens with its title and size in
// dialog units, and holds its controls under their ids with their kinds and texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_module.h"
#include "ui/resource.h"

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

struct Control {
    int id;
    const wchar_t* kind;  // window class
    const wchar_t* text;  // nullptr: not checked
};

struct DialogLayout {
    int id;
    const wchar_t* title;
    int width, height;  // dialog units
    std::vector<Control> controls;
};

const std::vector<DialogLayout> kDialogs = {
    {IDD_ABOUT,
     L"About",
     231,
     92,
     {{IDC_ABOUT_NAME, L"Static", L"[Tanvale] Slotwise V1.40"},
      {IDC_ABOUT_VISIT_FIRST, L"Button", L"Visit www.tanvale.example"},
      {IDC_ABOUT_VISIT_SECOND, L"Button", L"Visit help.tanvale.example.org"},
      {IDOK, L"Button", L"OK"}}},
    {IDD_SETTINGS,
     L"Set",
     331,
     270,
     {{IDC_UPLOAD_PATH, L"Edit", nullptr},
      {IDC_UPLOAD_BROWSE, L"Button", L".."},
      {IDC_BACKUP_PATH, L"Edit", nullptr},
      {IDC_BACKUP_BROWSE, L"Button", L".."},
      {IDC_EXIST_OVERWRITE, L"Button", L"Cover the &original file"},
      {IDC_EXIST_RENAME, L"Button", L"Automatically &rename"},
      {IDC_CLEAR_UPLOAD_DIRECTORY, L"Button", L"&Automatically clear the upload directory before open the floppy disk"},
      {IDC_EXPLORER_AFTER_OPEN, L"Button", L"The open floppy disk has finished, automatically open &explorer "},
      {IDC_EXPLORER_AFTER_LOAD, L"Button", L"The &load floppy disk has finished, automatically open explorer"},
      {IDOK, L"Button", L"&Ok"},
      {IDCANCEL, L"Button", L"&Cancel"}}},
    {IDD_FORMAT_DRIVE,
     L"Format",
     262,
     285,
     {{IDC_DRIVE_LIST, L"ListBox", nullptr},
      {IDC_DRIVE_FORMAT_144M, L"Button", L"1.&44M"},
      {IDC_DRIVE_FORMAT_12M, L"Button", L"&1.2M"},
      {IDC_DRIVE_FORMAT_720K, L"Button", L"7&20K"},
      {IDC_DRIVE_MAKE_BOOTABLE, L"Button", L"&Make"},
      {IDC_DRIVE_DOS622, L"Button", L"DOS &6.22"},
      {IDC_DRIVE_DOS71, L"Button", L"DOS &7.1"},
      {IDC_DRIVE_COUNT_LABEL, L"Static", L"the number of floppy disk block (1 - 100):"},
      {IDC_DRIVE_COUNT, L"ComboBox", nullptr},
      {IDC_DRIVE_QUICK, L"Button", L"&Quick format"},
      {IDC_DRIVE_START, L"Button", L"Begin to &format"},
      {IDC_DRIVE_PROGRESS, L"msctls_progress32", nullptr},
      {IDCANCEL, L"Button", L"Cancel"}}},
    {IDD_FORMAT_BLOCK,
     L"format floppy disk block ",
     219,
     148,
     {{IDC_BLOCK_FORMAT_144M, L"Button", L"1.&44M"},
      {IDC_BLOCK_FORMAT_12M, L"Button", L"&1.2M"},
      {IDC_BLOCK_FORMAT_720K, L"Button", L"7&20K"},
      {IDC_BLOCK_MAKE_BOOTABLE, L"Button", L"Make (&M)"},
      {IDC_BLOCK_DOS622, L"Button", L"DOS &6.22"},
      {IDC_BLOCK_DOS71, L"Button", L"DOS &7.1"},
      {IDC_BLOCK_QUICK, L"Button", L"&Quick format"},
      {IDC_BLOCK_START, L"Button", L"Begin to &format "},
      {IDCANCEL, L"Button", L"Cancel"}}},
};

std::wstring Text(HWND window) {
    wchar_t buffer[512] = {};
    GetWindowTextW(window, buffer, 512);
    return buffer;
}

std::wstring ClassOf(HWND window) {
    wchar_t buffer[128] = {};
    GetClassNameW(window, buffer, 128);
    return buffer;
}

class Dialogs : public ::testing::TestWithParam<DialogLayout> {};

TEST_P(Dialogs, OpensWithItsTitleSizeAndControls) {
    const DialogLayout& layout = GetParam();
    HWND dialog = CreateDialogParamW(appInstance, MAKEINTRESOURCEW(layout.id), nullptr, PlainDialogProc, 0);
    ASSERT_NE(dialog, nullptr) << "dialog " << layout.id << " error " << GetLastError();
    EXPECT_EQ(Text(dialog), layout.title);
    RECT client = {};
    GetClientRect(dialog, &client);
    RECT units = {0, 0, layout.width, layout.height};
    MapDialogRect(dialog, &units);
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(client.bottom, units.bottom);
    for (const Control& control : layout.controls) {
        HWND item = GetDlgItem(dialog, control.id);
        ASSERT_NE(item, nullptr) << "dialog " << layout.id << " control " << control.id;
        EXPECT_EQ(ClassOf(item), control.kind) << control.id;
        if (control.text) {
            EXPECT_EQ(Text(item), control.text) << control.id;
        }
        // Every control lies inside the dialog.
        RECT rect = {};
        GetWindowRect(item, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_GE(rect.left, 0) << control.id;
        EXPECT_GE(rect.top, 0) << control.id;
        EXPECT_LE(rect.right, client.right) << control.id;
        EXPECT_LE(rect.bottom, client.bottom) << control.id;
    }
    DestroyWindow(dialog);
}

INSTANTIATE_TEST_SUITE_P(Resources,
                         Dialogs,
                         ::testing::ValuesIn(kDialogs),
                         [](const ::testing::TestParamInfo<DialogLayout>& info) {
                             return "Dialog" + std::to_string(info.param.id);
                         });

TEST(DialogDetails, FormatDriveProgressBarStartsHiddenInThePlaceOfTheStartButton) {
    HWND dialog = CreateDialogParamW(appInstance, MAKEINTRESOURCEW(IDD_FORMAT_DRIVE), nullptr, PlainDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    HWND progress = GetDlgItem(dialog, IDC_DRIVE_PROGRESS);
    HWND start = GetDlgItem(dialog, IDC_DRIVE_START);
    EXPECT_FALSE(GetWindowLongW(progress, GWL_STYLE) & WS_VISIBLE);
    RECT a = {}, b = {};
    GetWindowRect(progress, &a);
    GetWindowRect(start, &b);
    EXPECT_TRUE(EqualRect(&a, &b));
    // The drive list keeps its lines sorted and reports selections; the count is typed or picked.
    LONG listStyle = GetWindowLongW(GetDlgItem(dialog, IDC_DRIVE_LIST), GWL_STYLE);
    EXPECT_TRUE(listStyle & LBS_SORT);
    EXPECT_TRUE(listStyle & LBS_NOTIFY);
    EXPECT_EQ(GetWindowLongW(GetDlgItem(dialog, IDC_DRIVE_COUNT), GWL_STYLE) & 3, CBS_DROPDOWN);
    DestroyWindow(dialog);
}

TEST(DialogDetails, SettingsCheckBoxesThatWrapSpanTwoLines) {
    HWND dialog = CreateDialogParamW(appInstance, MAKEINTRESOURCEW(IDD_SETTINGS), nullptr, PlainDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    for (int id : {IDC_CLEAR_UPLOAD_DIRECTORY, IDC_EXPLORER_AFTER_LOAD}) {
        EXPECT_TRUE(GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & BS_MULTILINE) << id;
        RECT rect = {};
        GetWindowRect(GetDlgItem(dialog, id), &rect);
        RECT line = {0, 0, 0, 8};
        MapDialogRect(dialog, &line);
        EXPECT_GE(rect.bottom - rect.top, 2 * line.bottom) << id;
    }
    DestroyWindow(dialog);
}

}  // namespace
