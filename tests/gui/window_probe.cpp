// Reading and driving the main window from a test thread.
#include "window_probe.h"

#include <commctrl.h>

#include <cstring>
#include <thread>

#include "ui/main_frame.h"
#include "ui/resource.h"

namespace {
constexpr int kTextChars = 512;
constexpr int kFileNameCombo = 0x47C;  // cmb13
constexpr int kFileNameEdit = 0x480;   // edt1
constexpr int kFileTypeCombo = 0x470;  // cmb1

// The work of RunOnWindowThread, run by a hook on the window's thread when the message arrives.
const std::function<void()>* pendingWork = nullptr;
constexpr LPARAM kWorkMark = 0x534C5754;

LRESULT CALLBACK RunPendingWork(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_NULL && message->lParam == kWorkMark && pendingWork)
        (*pendingWork)();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct DialogSearch {
    HWND found = nullptr;
};

BOOL CALLBACK FindProcessDialog(HWND window, LPARAM param) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (std::wstring(name) != L"#32770") return TRUE;
    reinterpret_cast<DialogSearch*>(param)->found = window;
    return FALSE;
}

BOOL CALLBACK FindEdit(HWND window, LPARAM param) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (std::wstring(name) != L"Edit") return TRUE;
    *reinterpret_cast<HWND*>(param) = window;
    return FALSE;
}

// The file name box: an edit inside the file name combo box (which may itself sit in an
// extended combo box), or a plain edit in older layouts.
HWND FileNameEdit(HWND dialog) {
    HWND combo = GetDlgItem(dialog, kFileNameCombo);
    HWND edit = nullptr;
    if (combo) EnumChildWindows(combo, FindEdit, reinterpret_cast<LPARAM>(&edit));
    return edit ? edit : GetDlgItem(dialog, kFileNameEdit);
}
}  // namespace

void RunOnWindowThread(HWND window, const std::function<void()>& work) {
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, RunPendingWork, nullptr, thread);
    pendingWork = &work;
    SendMessageW(window, WM_NULL, 0, kWorkMark);
    pendingWork = nullptr;
    UnhookWindowsHookEx(hook);
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() > deadline) return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

HWND FindMainWindow() {
    // Only this process's window: other test programs may have theirs open.
    struct Search {
        HWND found = nullptr;
    } search;
    EnumWindows(
        [](HWND window, LPARAM param) CALLBACK -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (process != GetCurrentProcessId() || std::wstring(name) != kMainFrameClass) return TRUE;
            reinterpret_cast<Search*>(param)->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND BlockListOf(HWND frame) {
    return GetDlgItem(frame, IDC_BLOCK_LIST);
}

HWND DeviceTreeOf(HWND frame) {
    return GetDlgItem(frame, IDC_DEVICE_TREE);
}

HWND StatusBarOf(HWND frame) {
    return FindWindowExW(frame, nullptr, STATUSCLASSNAMEW, nullptr);
}

HWND ToolBarOf(HWND frame) {
    HWND rebar = FindWindowExW(frame, nullptr, REBARCLASSNAMEW, nullptr);
    return rebar ? FindWindowExW(rebar, nullptr, TOOLBARCLASSNAMEW, nullptr) : nullptr;
}

std::wstring WindowTextOf(HWND window) {
    wchar_t text[kTextChars] = {};
    // WM_GETTEXT reaches windows of other threads, where GetWindowText may not.
    SendMessageW(window, WM_GETTEXT, kTextChars, reinterpret_cast<LPARAM>(text));
    return text;
}

std::wstring StatusTextOf(HWND frame) {
    wchar_t text[kTextChars] = {};
    SendMessageW(StatusBarOf(frame), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

std::vector<Row> RowsOf(HWND list) {
    std::vector<Row> rows;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int item = 0; item < count; ++item) {
        Row row;
        for (int column = 0; column < 4; ++column) {
            wchar_t text[kTextChars] = {};
            LVITEMW lv = {};
            lv.iSubItem = column;
            lv.pszText = text;
            lv.cchTextMax = kTextChars;
            SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lv));
            row[static_cast<size_t>(column)] = text;
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::wstring> ColumnTitlesOf(HWND list) {
    std::vector<std::wstring> titles;
    for (int column = 0;; ++column) {
        wchar_t text[kTextChars] = {};
        LVCOLUMNW lv = {};
        lv.mask = LVCF_TEXT;
        lv.pszText = text;
        lv.cchTextMax = kTextChars;
        if (!SendMessageW(list, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&lv))) break;
        titles.push_back(text);
    }
    return titles;
}

void SelectRows(HWND list, const std::vector<int>& rows) {
    LVITEMW none = {};
    none.stateMask = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    // As clicks leave them: the last row clicked also has the focus.
    for (int row : rows) {
        LVITEMW lv = {};
        lv.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        lv.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&lv));
    }
}

std::vector<int> SelectedRowsOf(HWND list) {
    std::vector<int> rows;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int item = 0; item < count; ++item)
        if (SendMessageW(list, LVM_GETITEMSTATE, item, LVIS_SELECTED)) rows.push_back(item);
    return rows;
}

TreeItems TreeItemsOf(HWND tree) {
    TreeItems items;
    auto text = [tree](HTREEITEM item) {
        wchar_t buffer[kTextChars] = {};
        TVITEMW tv = {};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = buffer;
        tv.cchTextMax = kTextChars;
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
        return std::wstring(buffer);
    };
    HTREEITEM root = TreeView_GetRoot(tree);
    if (!root) return items;
    items.root = text(root);
    for (HTREEITEM child = TreeView_GetChild(tree, root); child; child = TreeView_GetNextSibling(tree, child))
        items.children.push_back(text(child));
    return items;
}

RECT FirstDriveItemRect(HWND tree) {
    // TVM_GETITEMRECT takes the item in the rectangle it fills.
    RECT rect = {};
    HTREEITEM item = TreeView_GetChild(tree, TreeView_GetRoot(tree));
    std::memcpy(&rect, &item, sizeof(item));
    if (!item || !SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect))) return RECT{};
    return rect;
}

bool SelectTreeItem(HWND tree, const std::wstring& wanted) {
    HTREEITEM root = TreeView_GetRoot(tree);
    if (wanted.empty()) return root && TreeView_SelectItem(tree, root);
    for (HTREEITEM child = TreeView_GetChild(tree, root); child; child = TreeView_GetNextSibling(tree, child)) {
        wchar_t buffer[kTextChars] = {};
        TVITEMW tv = {};
        tv.mask = TVIF_TEXT;
        tv.hItem = child;
        tv.pszText = buffer;
        tv.cchTextMax = kTextChars;
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
        if (wanted == buffer) return TreeView_SelectItem(tree, child) != FALSE;
    }
    return false;
}

bool MenuItemEnabled(HWND frame, int command) {
    const UINT state = GetMenuState(GetMenu(frame), command, MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

bool MenuItemChecked(HWND frame, int command) {
    const UINT state = GetMenuState(GetMenu(frame), command, MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && (state & MF_CHECKED);
}

bool ToolButtonEnabled(HWND frame, int command) {
    return SendMessageW(ToolBarOf(frame), TB_ISBUTTONENABLED, command, 0) != 0;
}

bool ToolButtonChecked(HWND frame, int command) {
    return SendMessageW(ToolBarOf(frame), TB_ISBUTTONCHECKED, command, 0) != 0;
}

OpenDialog WaitForDialog(int timeoutMs) {
    OpenDialog dialog;
    WaitUntil(
        [&] {
            DialogSearch search;
            EnumWindows(FindProcessDialog, reinterpret_cast<LPARAM>(&search));
            dialog.hwnd = search.found;
            return dialog.hwnd != nullptr;
        },
        timeoutMs);
    if (!dialog.hwnd) return dialog;
    dialog.caption = WindowTextOf(dialog.hwnd);
    HWND text = GetDlgItem(dialog.hwnd, 0xFFFF);
    if (text) dialog.text = WindowTextOf(text);
    dialog.owner = GetWindow(dialog.hwnd, GW_OWNER);
    return dialog;
}

bool AnswerDialog(const OpenDialog& dialog, int button) {
    PostMessageW(dialog.hwnd, WM_COMMAND, static_cast<WPARAM>(button), 0);
    return WaitUntil([&] { return !IsWindow(dialog.hwnd) || !IsWindowVisible(dialog.hwnd); });
}

bool ChooseFileInDialog(const OpenDialog& dialog, const std::wstring& path) {
    HWND edit = FileNameEdit(dialog.hwnd);
    if (!edit) return false;
    // Typed as a user types it, with the system's separators.
    std::wstring typed = path;
    for (wchar_t& c : typed) {
        if (c == L'/') c = L'\\';
    }
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
    PostMessageW(GetDlgItem(dialog.hwnd, IDOK), BM_CLICK, 0, 0);
    return WaitUntil([&] { return !IsWindow(dialog.hwnd) || !IsWindowVisible(dialog.hwnd); });
}

std::wstring FileNameInDialog(const OpenDialog& dialog) {
    HWND edit = FileNameEdit(dialog.hwnd);
    return edit ? WindowTextOf(edit) : std::wstring();
}

std::vector<std::wstring> FileTypesInDialog(const OpenDialog& dialog) {
    std::vector<std::wstring> types;
    HWND combo = GetDlgItem(dialog.hwnd, kFileTypeCombo);
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[kTextChars] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        types.push_back(text);
    }
    return types;
}
