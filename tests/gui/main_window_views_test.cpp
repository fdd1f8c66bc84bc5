// The panes and bars of the main window as the user works them: sorting by a column header,
// item activation, Select all, the context menus, the hover tips, the menu prompts and toolbar
// tooltips, and the scaling of images, columns and splitter for 150% and 200% displays.
#include "main_window_fixture.h"

#include <commctrl.h>

#include "ui/resource.h"

namespace {

class MainWindowViews : public MainWindowTest {
protected:
    // Leaves three rows whose "Used " texts are given, the serial numbers left as they are.
    void ThreeRows(const std::vector<std::wstring>& used) {
        while (SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) > 3)
            SendMessageW(list, LVM_DELETEITEM, 3, 0);
        for (int row = 0; row < 3; ++row) {
            LVITEMW lv = {};
            lv.iSubItem = 2;
            lv.pszText = const_cast<wchar_t*>(used[static_cast<size_t>(row)].c_str());
            SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&lv));
        }
    }
    std::vector<std::wstring> Column(int column) {
        std::vector<std::wstring> texts;
        for (const Row& row : RowsOf(list))
            texts.push_back(row[static_cast<size_t>(column)]);
        return texts;
    }
    // A click on a column header, as the mouse gives it.
    void ClickHeader(int column) {
        HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
        RECT rect = {};
        SendMessageW(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&rect));
        const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(header, WM_LBUTTONUP, 0, at);
    }
    // The text of the shared hover tip's tool over window.
    std::wstring HoverTipText(HWND window) {
        struct Search {
            HWND frame, window;
            std::wstring text;
            bool found = false;
        } search{frame, window, std::wstring()};
        EnumThreadWindows(
            GetWindowThreadProcessId(frame, nullptr),
            [](HWND tip, LPARAM param) CALLBACK -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                wchar_t name[64] = {};
                GetClassNameW(tip, name, 64);
                if (std::wstring(name) != TOOLTIPS_CLASSW) return TRUE;
                wchar_t text[512] = {};
                TOOLINFOW tool = {};
                tool.cbSize = sizeof(tool);
                tool.hwnd = s->frame;
                tool.uId = reinterpret_cast<UINT_PTR>(s->window);
                if (!SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool))) return TRUE;
                tool.lpszText = text;
                SendMessageW(tip, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
                s->text = text;
                s->found = true;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found ? search.text : L"<no tool>";
    }
    void PointAtListItem(int item) {
        RECT rect = {};
        rect.left = LVIR_LABEL;
        SendMessageW(list, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rect));
        POINT at = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ClientToScreen(list, &at);
        SetCursorPos(at.x, at.y);
    }
    std::wstring SimpleStatusText() {
        // In single-text mode the first part reads the single text.
        wchar_t text[512] = {};
        SendMessageW(StatusBarOf(frame), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
        return text;
    }
    SIZE ImageSize(HIMAGELIST images) {
        int cx = 0, cy = 0;
        ImageList_GetIconSize(images, &cx, &cy);
        return SIZE{cx, cy};
    }
    int Gap() {
        RECT left = {}, right = {};
        GetWindowRect(tree, &left);
        GetWindowRect(list, &right);
        return right.left - left.right;
    }
};

TEST_F(MainWindowViews, UsedSortsByNumberAndEveryHeaderClickFlipsTheOrder) {
    OpenWindow();
    ThreeRows({L"40%", L"5%", L"100%"});
    ClickHeader(2);
    EXPECT_EQ(Column(2), (std::vector<std::wstring>{L"100%", L"40%", L"5%"}));
    ClickHeader(2);
    EXPECT_EQ(Column(2), (std::vector<std::wstring>{L"5%", L"40%", L"100%"}));
    // The direction is shared by all columns: the next click, on another header, sorts descending.
    ClickHeader(0);
    EXPECT_EQ(Column(0), (std::vector<std::wstring>{L"002", L"001", L"000"}));
    ClickHeader(0);
    EXPECT_EQ(Column(0), (std::vector<std::wstring>{L"000", L"001", L"002"}));
}

TEST_F(MainWindowViews, ActivatingAnItemOpensTheSelectedBlocks) {
    OpenWindow();
    SelectRows(list, {2});
    SendMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(WaitUntil([&] { return !FolderContents(uploadRoot).empty(); }));
    ASSERT_TRUE(WaitForJobs());
    const std::string level(1, static_cast<char>(drive.driveName[0]));
    EXPECT_EQ(FolderContents(uploadRoot + "/" + level + "/FLOPPY002").count("README.TXT"), 1u);
}

TEST_F(MainWindowViews, SelectAllSelectsEveryBlockAndFocusesTheList) {
    OpenWindow();
    SetFocus(nullptr);
    SendMessageW(frame, WM_COMMAND, MAKEWPARAM(ID_OPTION_SELECT_ALL, 1), 0);
    EXPECT_EQ(SelectedRowsOf(list).size(), kBlocks);
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(frame, nullptr), &info));
    EXPECT_EQ(info.hwndFocus, list);
    ASSERT_TRUE(WaitUntil([&] { return StatusTextOf(frame) == L"Select floppy disk block of 12 "; }));
}

TEST_F(MainWindowViews, RightClickingTheListOpensSingleOrBulkWithTheirStates) {
    OpenWindow();
    struct Case {
        std::vector<int> rows;
        int popup;  // position in the menu bar
        int enabled;
    };
    for (const Case& c : {Case{{4}, 2, ID_BLOCK_OPEN}, Case{{4, 5}, 3, ID_BULK_OPEN}}) {
        SelectRows(list, c.rows);
        static NMHDR click;
        click = NMHDR{list, IDC_BLOCK_LIST, static_cast<UINT>(NM_RCLICK)};
        PostMessageW(frame, WM_NOTIFY, IDC_BLOCK_LIST, reinterpret_cast<LPARAM>(&click));
        HWND popup = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            popup = FindWindowW(L"#32768", nullptr);
            return popup && IsWindowVisible(popup);
        }));
        HMENU shown = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
        EXPECT_EQ(shown, GetSubMenu(GetMenu(frame), c.popup));
        EXPECT_TRUE(MenuItemEnabled(frame, c.enabled));
        RunOnWindowThread(frame, [] { EndMenu(); });
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(popup); }));
    }
}

TEST_F(MainWindowViews, RightClickingTheTreeOpensTheDriveMenuWithoutChangingTheSelection) {
    OpenWindow();
    ASSERT_TRUE(SelectTreeItem(tree, L""));
    static NMHDR click;
    click = NMHDR{tree, IDC_DEVICE_TREE, static_cast<UINT>(NM_RCLICK)};
    PostMessageW(frame, WM_NOTIFY, IDC_DEVICE_TREE, reinterpret_cast<LPARAM>(&click));
    HWND popup = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        popup = FindWindowW(L"#32768", nullptr);
        return popup && IsWindowVisible(popup);
    }));
    EXPECT_EQ(reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0)), GetSubMenu(GetMenu(frame), 1));
    EXPECT_EQ(TreeView_GetSelection(tree), TreeView_GetRoot(tree));
    RunOnWindowThread(frame, [] { EndMenu(); });
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(popup); }));
}

TEST_F(MainWindowViews, HoverTipsShowTheBlockOutsideDetailViewAndTheDriveInTheTree) {
    OpenWindow();
    const std::vector<Row> rows = RowsOf(list);
    // One tip window serves both panes: up to 500 pixels wide, shown for up to 20 seconds.
    HWND tipWindow = nullptr;
    EnumThreadWindows(
        GetWindowThreadProcessId(frame, nullptr),
        [](HWND window, LPARAM param) CALLBACK -> BOOL {
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (std::wstring(name) != TOOLTIPS_CLASSW || SendMessageW(window, TTM_GETTOOLCOUNT, 0, 0) != 2) return TRUE;
            *reinterpret_cast<HWND*>(param) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&tipWindow));
    ASSERT_NE(tipWindow, nullptr);
    EXPECT_EQ(SendMessageW(tipWindow, TTM_GETMAXTIPWIDTH, 0, 0), 500);
    EXPECT_EQ(SendMessageW(tipWindow, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 20000);
    PointAtListItem(1);
    ASSERT_TRUE(WaitUntil([&] { return HoverTipText(list) != L"<no tool>"; }));
    // Detail view shows no tip.
    Sleep(700);
    EXPECT_EQ(HoverTipText(list), L"");

    SendMessageW(frame, WM_COMMAND, ID_VIEW_LIST, 0);
    PointAtListItem(1);
    const std::wstring tip = L"Capability:  " + rows[1][1] + L"\nUsed: " + rows[1][2] + L"\nRenew time: " + rows[1][3];
    EXPECT_TRUE(WaitUntil([&] { return HoverTipText(list) == tip; })) << HoverTipText(list);

    const RECT item = FirstDriveItemRect(tree);
    POINT at = {(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(tree, &at);
    SetCursorPos(at.x, at.y);
    const std::wstring driveTip =
        L"Capability:  18.00 MB\nDevice serial number: 1000\nDevice Name: Image drive.img USB Device";
    EXPECT_TRUE(WaitUntil([&] { return HoverTipText(tree) == driveTip; })) << HoverTipText(tree);
    // The pointer elsewhere: no tips.
    SetCursorPos(0, 0);
    EXPECT_TRUE(WaitUntil([&] { return HoverTipText(tree).empty() && HoverTipText(list).empty(); }));
}

TEST_F(MainWindowViews, MenuItemsShowTheirPromptsWhileHighlighted) {
    OpenWindow();
    HMENU menu = GetMenu(frame);
    SendMessageW(frame, WM_MENUSELECT, MAKEWPARAM(ID_BLOCK_OPEN, MF_HILITE), reinterpret_cast<LPARAM>(menu));
    EXPECT_TRUE(SendMessageW(StatusBarOf(frame), SB_ISSIMPLE, 0, 0));
    EXPECT_EQ(SimpleStatusText(), L"Upload the file in current floppy disk block to relevant directory ");
    SendMessageW(frame, WM_MENUSELECT, MAKEWPARAM(ID_DRIVE_BACKUP, MF_HILITE), reinterpret_cast<LPARAM>(menu));
    EXPECT_EQ(SimpleStatusText(), L"backup usb disk all floppy block to pc.\tBackup disk Ctrl+B");
    SendMessageW(frame, WM_MENUSELECT, MAKEWPARAM(ID_BULK_FORMAT, MF_HILITE), reinterpret_cast<LPARAM>(menu));
    EXPECT_EQ(SimpleStatusText(), L"");
    SendMessageW(frame, WM_MENUSELECT, MAKEWPARAM(ID_FILE_ATTACH_IMAGE, MF_HILITE), reinterpret_cast<LPARAM>(menu));
    EXPECT_EQ(SimpleStatusText(), L"Attach an image file as a USB Flash Drive");
    SendMessageW(frame, WM_MENUSELECT, MAKEWPARAM(SC_CLOSE, MF_HILITE | MF_SYSMENU),
                 reinterpret_cast<LPARAM>(GetSystemMenu(frame, FALSE)));
    EXPECT_EQ(SimpleStatusText(), L"Close the window");
    SendMessageW(frame, WM_MENUSELECT, MAKEWPARAM(SC_RESTORE, MF_HILITE | MF_SYSMENU),
                 reinterpret_cast<LPARAM>(GetSystemMenu(frame, FALSE)));
    EXPECT_EQ(SimpleStatusText(), L"Renew the window to natural size");
    // The menu closes: the status bar has its own text again.
    SendMessageW(frame, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_FALSE(SendMessageW(StatusBarOf(frame), SB_ISSIMPLE, 0, 0));
}

TEST_F(MainWindowViews, ToolbarButtonsShowTheTextAfterTheirPromptAsTooltip) {
    OpenWindow();
    HWND tips = reinterpret_cast<HWND>(SendMessageW(ToolBarOf(frame), TB_GETTOOLTIPS, 0, 0));
    ASSERT_NE(tips, nullptr);
    auto tooltip = [&](int command) {
        NMTTDISPINFOW info = {};
        info.hdr = NMHDR{tips, static_cast<UINT_PTR>(command), static_cast<UINT>(TTN_GETDISPINFOW)};
        SendMessageW(frame, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        return std::wstring(info.lpszText ? info.lpszText : info.szText);
    };
    EXPECT_EQ(tooltip(ID_FILE_UPLOAD_DIRECTORY), L" Upload directory Ctrl+D");
    EXPECT_EQ(tooltip(ID_DRIVE_FORMAT), L" Format USB Flash Drive Ctrl+F ");
    EXPECT_EQ(tooltip(ID_VIEW_SMALL_ICON), L" Small icon ");
    EXPECT_EQ(tooltip(ID_APP_ABOUT), L"  About");
    EXPECT_EQ(tooltip(ID_DRIVE_BACKUP), L"");
}

TEST_F(MainWindowViews, TheToolbarHoldsItsButtonsInOrder) {
    OpenWindow();
    HWND toolbar = ToolBarOf(frame);
    std::vector<int> commands;
    const int count = static_cast<int>(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button = {};
        SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        commands.push_back((button.fsStyle & BTNS_SEP) ? 0 : button.idCommand);
    }
    EXPECT_EQ(commands,
              (std::vector<int>{1010, 0, 1021, 1022, 0, 1012, 1013, 0, 1053, 1055, 1056, 1054, 0, 1058, 0, 5104}));
}

TEST_F(MainWindowViews, A150And200PercentDisplayScalesImagesColumnsAndSplitter) {
    OpenWindow();
    HWND toolbar = ToolBarOf(frame);
    auto images = [&] {
        return std::vector<LONG>{
            ImageSize(reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar, TB_GETIMAGELIST, 0, 0))).cx,
            ImageSize(reinterpret_cast<HIMAGELIST>(SendMessageW(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0))).cx,
            ImageSize(reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0))).cx,
            ImageSize(reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_NORMAL, 0))).cx};
    };
    EXPECT_EQ(images(), (std::vector<LONG>{16, 16, 16, 32}));
    EXPECT_EQ(Gap(), 4);

    RECT rect = {100, 80, 1000, 700};
    SendMessageW(frame, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&rect));
    EXPECT_EQ(images(), (std::vector<LONG>{24, 24, 24, 48}));
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 150);
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 3, 0), 225);
    EXPECT_EQ(Gap(), 6);
    RECT now = {};
    GetWindowRect(frame, &now);
    EXPECT_EQ(now.left, 100);
    EXPECT_EQ(now.right, 1000);

    SendMessageW(frame, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&rect));
    EXPECT_EQ(images(), (std::vector<LONG>{32, 32, 32, 64}));
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 200);
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0), 160);
    EXPECT_EQ(Gap(), 8);
    // The buttons grow with their images.
    const DWORD buttonSize = static_cast<DWORD>(SendMessageW(toolbar, TB_GETBUTTONSIZE, 0, 0));
    EXPECT_GE(LOWORD(buttonSize), 32);
}

}  // namespace
