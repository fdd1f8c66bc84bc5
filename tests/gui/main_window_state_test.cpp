// What the main window keeps between runs: its placement ("MainWinPos"), the splitter
// ("SplitterPos"), the block list's column widths ("ListViewColumnPos") and view
// ("LastSelStyle"); and the splitter keeping its proportion when the window is resized.
#include "main_window_fixture.h"

#include <commctrl.h>

#include <cstring>

#include "ui/program_core.h"
#include "ui/resource.h"

namespace {

class MainWindowState : public MainWindowTest {
protected:
    std::vector<int32_t> Binary(const wchar_t* name, size_t fields) {
        std::vector<int32_t> values(fields, 0);
        SettingsKey key;
        if (store.store().OpenKey(&key) != 0 || !key.ReadBinary(name, values.data(), 4 * fields)) return {};
        return values;
    }
    bool Dword(const wchar_t* name, uint32_t* value) {
        SettingsKey key;
        return store.store().OpenKey(&key) == 0 && key.ReadDword(name, value);
    }
    void WriteBinary(const wchar_t* name, const std::vector<int32_t>& values) {
        SettingsKey key;
        ASSERT_EQ(store.store().OpenKey(&key), 0);
        ASSERT_EQ(key.WriteBinary(name, values.data(), 4 * values.size()), 0);
    }
    void WriteDword(const wchar_t* name, uint32_t value) {
        SettingsKey key;
        ASSERT_EQ(store.store().OpenKey(&key), 0);
        ASSERT_EQ(key.WriteDword(name, value), 0);
    }
    int TreeWidth() {
        RECT rect = {};
        GetWindowRect(tree, &rect);
        return rect.right - rect.left;
    }
    int ClientWidth() {
        RECT rect = {};
        GetClientRect(frame, &rect);
        return rect.right;
    }
    LONG_PTR ViewBits() { return GetWindowLongPtrW(list, GWL_STYLE) & LVS_TYPEMASK; }
};

TEST_F(MainWindowState, ClosingStoresThePlacementAndSplitterAndTheNextWindowTakesThem) {
    WriteBinary(L"MainWinPos", {40, 30, 700, 500, 0});
    WriteDword(L"SplitterPos", 210);
    OpenWindow();
    RECT rect = {};
    GetWindowRect(frame, &rect);
    EXPECT_EQ(rect.left, 40);
    EXPECT_EQ(rect.top, 30);
    EXPECT_EQ(rect.right - rect.left, 700);
    EXPECT_EQ(rect.bottom - rect.top, 500);
    EXPECT_EQ(TreeWidth(), 210);

    SetWindowPos(frame, nullptr, 60, 50, 800, 560, SWP_NOZORDER);
    EXPECT_EQ(CloseWindow(), 1);
    EXPECT_EQ(Binary(L"MainWinPos", 5), (std::vector<int32_t>{60, 50, 800, 560, 0}));
    uint32_t splitter = 0;
    ASSERT_TRUE(Dword(L"SplitterPos", &splitter));
    OpenWindow();
    EXPECT_EQ(TreeWidth(), static_cast<int>(splitter));
    GetWindowRect(frame, &rect);
    EXPECT_EQ(rect.left, 60);
    EXPECT_EQ(rect.right - rect.left, 800);
}

// Disabled: the program does show the reopened window maximised (its WM_SIZE says
// SIZE_MAXIMIZED), but Wine's X11 driver, with no window manager to confirm the state, then
// sends the window SC_RESTORE. Run it with --gtest_also_run_disabled_tests on a desktop with a
// window manager, or on Windows.
TEST_F(MainWindowState, DISABLED_AMaximizedWindowIsStoredAsDefaultMarkersAndOpensMaximized) {
    OpenWindow();
    ShowWindow(frame, SW_MAXIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsZoomed(frame) != FALSE; }));
    CloseWindow();
    EXPECT_EQ(Binary(L"MainWinPos", 5), (std::vector<int32_t>{INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, 1}));
    OpenWindow();
    // The stored state maximises the window after it is shown; Wine may apply that a little later.
    EXPECT_TRUE(WaitUntil([&] { return IsZoomed(frame) != FALSE; }));
}

TEST_F(MainWindowState, AMinimizedWindowLeavesTheStoredPlacementAndSplitterAsTheyWere) {
    WriteBinary(L"MainWinPos", {40, 30, 700, 500, 0});
    WriteDword(L"SplitterPos", 150);
    OpenWindow();
    ShowWindow(frame, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(frame) != FALSE; }));
    CloseWindow();
    EXPECT_EQ(Binary(L"MainWinPos", 5), (std::vector<int32_t>{40, 30, 700, 500, 0}));
    uint32_t splitter = 0;
    ASSERT_TRUE(Dword(L"SplitterPos", &splitter));
    EXPECT_EQ(splitter, 150u);
}

TEST_F(MainWindowState, AStoredSplitterOfZeroGivesAQuarterOfTheWidth) {
    WriteBinary(L"MainWinPos", {20, 20, 804, 500, 0});
    WriteDword(L"SplitterPos", 0);
    OpenWindow();
    EXPECT_EQ(TreeWidth(), ClientWidth() / 4);
}

TEST_F(MainWindowState, TheSplitterKeepsItsProportionWhenTheWindowIsResized) {
    WriteBinary(L"MainWinPos", {20, 20, 600, 400, 0});
    WriteDword(L"SplitterPos", 200);
    OpenWindow();
    const double before = static_cast<double>(TreeWidth()) / ClientWidth();
    SetWindowPos(frame, nullptr, 0, 0, 1000, 600, SWP_NOZORDER | SWP_NOMOVE);
    const double after = static_cast<double>(TreeWidth()) / ClientWidth();
    EXPECT_NEAR(after, before, 0.01);
    EXPECT_GT(TreeWidth(), 300);
}

TEST_F(MainWindowState, TheViewCommandSwitchesTheListAndItsChecksAndIsStored) {
    OpenWindow();
    EXPECT_EQ(ViewBits(), LVS_REPORT);
    EXPECT_TRUE(MenuItemChecked(frame, ID_VIEW_DETAIL));
    EXPECT_TRUE(ToolButtonChecked(frame, ID_VIEW_DETAIL));

    SendMessageW(frame, WM_COMMAND, ID_VIEW_BIG_ICON, 0);
    EXPECT_EQ(ViewBits(), LVS_ICON);
    for (int view : {ID_VIEW_BIG_ICON, ID_VIEW_SMALL_ICON, ID_VIEW_LIST, ID_VIEW_DETAIL}) {
        EXPECT_EQ(MenuItemChecked(frame, view), view == ID_VIEW_BIG_ICON) << view;
        EXPECT_EQ(ToolButtonChecked(frame, view), view == ID_VIEW_BIG_ICON) << view;
    }
    SendMessageW(frame, WM_COMMAND, ID_VIEW_LIST, 0);
    EXPECT_EQ(ViewBits(), LVS_LIST);
    SendMessageW(frame, WM_COMMAND, ID_VIEW_SMALL_ICON, 0);
    EXPECT_EQ(ViewBits(), LVS_SMALLICON);
    EXPECT_TRUE(ToolButtonChecked(frame, ID_VIEW_SMALL_ICON));
    EXPECT_FALSE(ToolButtonChecked(frame, ID_VIEW_BIG_ICON));

    CloseWindow();
    uint32_t view = 0;
    ASSERT_TRUE(Dword(L"LastSelStyle", &view));
    EXPECT_EQ(view, static_cast<uint32_t>(ID_VIEW_SMALL_ICON));
    // Widths are taken from the list only in detail view.
    EXPECT_TRUE(Binary(L"ListViewColumnPos", 4).empty());
    OpenWindow();
    EXPECT_EQ(ViewBits(), LVS_SMALLICON);
    EXPECT_TRUE(MenuItemChecked(frame, ID_VIEW_SMALL_ICON));
    EXPECT_FALSE(MenuItemChecked(frame, ID_VIEW_DETAIL));
}

TEST_F(MainWindowState, AnUnknownStoredViewOpensInDetail) {
    WriteDword(L"LastSelStyle", 0);
    OpenWindow();
    EXPECT_EQ(ViewBits(), LVS_REPORT);
    EXPECT_TRUE(MenuItemChecked(frame, ID_VIEW_DETAIL));
    CloseWindow();
    uint32_t view = 0;
    ASSERT_TRUE(Dword(L"LastSelStyle", &view));
    EXPECT_EQ(view, static_cast<uint32_t>(ID_VIEW_DETAIL));
}

TEST_F(MainWindowState, ColumnWidthsAreStoredFromTheDetailViewAndGivenBack) {
    OpenWindow();
    const int defaults[] = {100, 80, 80, 150};
    for (int column = 0; column < 4; ++column)
        EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0), defaults[column]) << column;
    SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(70, 0));
    SendMessageW(list, LVM_SETCOLUMNWIDTH, 3, MAKELPARAM(190, 0));
    CloseWindow();
    EXPECT_EQ(Binary(L"ListViewColumnPos", 4), (std::vector<int32_t>{70, 80, 80, 190}));
    OpenWindow();
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 70);
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 3, 0), 190);
}

TEST_F(MainWindowState, AWidthOfMinusOneLeavesTheColumnToTheListsDefault) {
    WriteBinary(L"ListViewColumnPos", {-1, 90, 90, 90});
    OpenWindow();
    EXPECT_NE(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), -1);
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0), 90);
}

}  // namespace
