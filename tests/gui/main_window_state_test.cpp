// What the main window keeps between runs: its placement ("MainWinPos"), the splitter
// ("SplitterPos"), the block list's column widths ("ListViewColumnPos", taken from the list in
// detail view only) and view ("LastSelStyle"), stored when it closes and taken by the next window.
#include <windows.h>

#include <commctrl.h>
#include <dbt.h>

#include <thread>

#include "../discovery/fake_sticks.h"
#include "disk/system_error.h"
#include "main_window_fixture.h"
#include "ui/resource.h"

namespace {

TEST_F(MainWindowTest, PlacementSplitterColumnsAndViewAreStoredAtCloseAndTakenByTheNextWindow) {
    StoreInts(store.store(), L"MainWinPos", {40, 30, 700, 500, 0});
    StoreDword(store.store(), L"", L"SplitterPos", 0);   // none: a quarter of the width
    StoreDword(store.store(), L"", L"LastSelStyle", 0);  // none: detail
    const std::vector<int> views = {ID_VIEW_BIG_ICON, ID_VIEW_DETAIL, ID_VIEW_SMALL_ICON, ID_VIEW_LIST};
    RECT window = {}, left = {}, client = {};
    // The window's left, top, width and height, the tree's width, the column widths, the views.
    auto shown = [&] {
        GetWindowRect(frame, &window);
        GetWindowRect(tree, &left);
        GetClientRect(frame, &client);
        std::string text;
        for (LONG value :
             {window.left, window.top, window.right - window.left, window.bottom - window.top, left.right - left.left})
            text += std::to_string(value) + " ";
        for (int column = 0; column < 4; ++column)
            text += std::to_string(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0)) + " ";
        return text + CommandStates(frame, views);
    };
    auto stored = [&] {
        std::string text;
        for (const wchar_t* name : {L"MainWinPos", L"SplitterPos", L"ListViewColumnPos", L"LastSelStyle"})
            text += (text.empty() ? "" : " / ") + Stored(store.store(), L"", name);
        return text;
    };
    OpenWindow();
    const std::string first = shown();
    EXPECT_EQ(first,
              "40 30 700 500 " + std::to_string(client.right / 4) + " 100 80 80 150 1053:++ 1054:+*+* 1055:++ 1056:++");
    // Resized, the splitter keeps its share of the width.
    SetWindowPos(frame, nullptr, 60, 50, 900, 560, SWP_NOZORDER);
    shown();
    EXPECT_NEAR(static_cast<double>(left.right - left.left) / client.right, 0.25, 0.01);
    const std::string split = std::to_string(left.right - left.left);
    SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(70, 0));
    SendMessageW(list, LVM_SETCOLUMNWIDTH, 3, MAKELPARAM(190, 0));
    EXPECT_EQ(CloseWindow(), 1);
    EXPECT_EQ(stored(), "60 50 900 560 0 / " + split + " / 70 80 80 190 / 1054");

    OpenWindow();
    EXPECT_EQ(shown(), "60 50 900 560 " + split + " 70 80 80 190 1053:++ 1054:+*+* 1055:++ 1056:++");
    // Another view is stored, with the widths of the detail view; a minimised window stores no place.
    SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(75, 0));
    SendMessageW(frame, WM_COMMAND, ID_VIEW_SMALL_ICON, 0);
    SetWindowPos(frame, nullptr, 10, 10, 500, 400, SWP_NOZORDER);
    ShowWindow(frame, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(frame) != FALSE; }));
    EXPECT_EQ(CloseWindow(), 1);
    EXPECT_EQ(stored(), "60 50 900 560 0 / " + split + " / 70 80 80 190 / 1055");
    OpenWindow();
    EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & LVS_TYPEMASK, LVS_SMALLICON);
    EXPECT_EQ(CommandStates(frame, views), "1053:++ 1054:++ 1055:+*+* 1056:++");
}

TEST_F(MainWindowTest, AStickRefusedForItsSectorSizeIsNamedWithoutAnEarlierSystemError) {
    OpenWindow();
    FakeSticks sticks;
    FakeStick stick;
    stick.driveName = L"F:";
    stick.blockLength = 4096;
    sticks.Add(stick);
    SetLastSystemError(ERROR_ACCESS_DENIED);  // what an earlier failure left
    DEV_BROADCAST_DEVICEINTERFACE_W header = {sizeof header, DBT_DEVTYP_DEVICEINTERFACE, 0, {}, {}};
    // Sent, as the system sends it (a posted arrival carries no record), from a thread that waits
    // while the box is open.
    std::thread arrival(
        [&] { SendMessageW(frame, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&header)); });
    const Box box = WaitForBox(frame);
    Answer(box.hwnd, IDOK);
    arrival.join();
    EXPECT_EQ(box.text, L"不支持大扇区(4096B)U盘F:") << sticks.Log();
}

}  // namespace
