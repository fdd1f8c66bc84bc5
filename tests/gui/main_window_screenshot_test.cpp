// Pictures of the main window for the record, kept under the build tree (artifacts/): the window
// on a drive of blocks in all three formats with one block selected, and with its Single menu
// open, which shows the toolbar's images beside the menu items.
#include "main_window_fixture.h"

#include <commctrl.h>

#include "screenshot.h"
#include "ui/resource.h"

namespace {
class MainWindowScreenshot : public MainWindowTest {
protected:
    // A window drawn with its bars, icons and texts has many colours; a blank screen has one.
    void Save(const RECT& rect, const char* name) { SaveScreenshot(rect, name, 16); }
};

TEST_F(MainWindowScreenshot, TheWindowOnADriveOfAllThreeFormats) {
    CopyFileOver(drivePath, referencePath);
    referenceRunner.parameters.floppyFormat = Format12M;
    referenceRunner.parameters.quickFormat = 1;
    ASSERT_EQ(RunReferenceJob(JOB_FORMAT, {5, 6, 7}), 0);
    referenceRunner.parameters.floppyFormat = Format720K;
    ASSERT_EQ(RunReferenceJob(JOB_FORMAT, {8, 9, 10}), 0);
    CopyFileOver(referencePath, drivePath);
    {
        SettingsKey key;
        ASSERT_EQ(store.store().OpenKey(&key), 0);
        const int32_t placement[] = {30, 20, 760, 520, 0};
        key.WriteBinary(L"MainWinPos", placement, sizeof(placement));
    }
    OpenWindow();
    SetCursorPos(1000, 740);
    SelectRows(list, {2});
    ASSERT_TRUE(WaitUntil([&] { return StatusTextOf(frame).rfind(L"Serial number: 002", 0) == 0; }));
    RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(500);
    RECT rect = {};
    GetWindowRect(frame, &rect);
    Save(rect, "main-window.png");

    // The Single menu opened from the keyboard, as Alt+S does.
    PostMessageW(frame, WM_SYSCOMMAND, SC_KEYMENU, 's');
    HWND popup = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        popup = FindWindowW(L"#32768", nullptr);
        return popup && IsWindowVisible(popup);
    }));
    Sleep(500);
    RECT menu = {};
    GetWindowRect(popup, &menu);
    UnionRect(&rect, &rect, &menu);
    Save(rect, "main-window-menu.png");
    RunOnWindowThread(frame, [] { EndMenu(); });
}

}  // namespace
