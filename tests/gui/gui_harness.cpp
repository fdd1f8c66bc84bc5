// The window tests' harness.
#include "gui_harness.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "disk/wide_path.h"

namespace {
constexpr int kTextChars = 512;

// The visible dialog-class windows (dialogs, message boxes) of this process.
std::vector<HWND> Dialogs() {
    std::vector<HWND> dialogs;
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, L"#32770", nullptr));) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId() && IsWindowVisible(window)) dialogs.push_back(window);
    }
    return dialogs;
}

BOOL CALLBACK CloseWindowBut(HWND window, LPARAM owner) {
    if (window != reinterpret_cast<HWND>(owner) && IsWindowVisible(window)) PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

// The work of RunOn, run by a hook on the window's thread when the marked message arrives.
const std::function<void()>* pendingWork = nullptr;
constexpr LPARAM kWorkMark = 0x534C5754;

LRESULT CALLBACK RunPendingWork(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_NULL && message->lParam == kWorkMark && pendingWork)
        (*pendingWork)();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The file name box: an edit in the file name combo box (cmb13), or the plain edit (edt1).
HWND FileNameEdit(HWND dialog) {
    HWND combo = GetDlgItem(dialog, 0x47C);
    HWND edit = combo ? FindWindowExW(combo, nullptr, L"Edit", nullptr) : nullptr;
    if (!edit && combo)
        edit = FindWindowExW(FindWindowExW(combo, nullptr, nullptr, nullptr), nullptr, L"Edit", nullptr);
    return edit ? edit : GetDlgItem(dialog, 0x480);
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return done();
        Sleep(10);
    }
    return true;
}

void RunOn(HWND window, const std::function<void()>& work) {
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, RunPendingWork, nullptr, GetWindowThreadProcessId(window, nullptr));
    pendingWork = &work;
    SendMessageW(window, WM_NULL, 0, kWorkMark);
    pendingWork = nullptr;
    UnhookWindowsHookEx(hook);
}

bool SendReturns(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 5000, &result) != 0;
}

UiThread::UiThread(std::function<int(HWND owner)> run, RECT rect) {
    thread_ = std::thread([this, run, rect] {
        id_ = GetCurrentThreadId();
        CoInitialize(nullptr);
        HWND owner = IsRectEmpty(&rect) ? nullptr
                                        : CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                                          rect.left, rect.top, rect.right - rect.left,
                                                          rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr);
        owner_ = owner;
        ready_ = true;
        result_ = run(owner);
        if (owner) DestroyWindow(owner);
        CoUninitialize();
        ended_ = true;
    });
    WaitUntil([this] { return ready_.load(); });
}

UiThread::~UiThread() {
    // Boxes and dialogs first; the windows once none is left.
    for (int round = 0; !ended_ && round < 600; ++round) {
        const std::vector<HWND> dialogs = Dialogs();
        for (HWND dialog : dialogs)
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        if (dialogs.empty()) EnumThreadWindows(id_, CloseWindowBut, reinterpret_cast<LPARAM>(owner_.load()));
        WaitUntil([this] { return ended_.load(); }, 50);
    }
    if (!ended_) PostThreadMessageW(id_, WM_QUIT, 0, 0);
    thread_.join();
}

int UiThread::Result(int timeoutMs) {
    return WaitUntil([this] { return ended_.load(); }, timeoutMs) ? result_.load() : -1;
}

HWND FindDialog(HWND owner, int control, int timeoutMs) {
    HWND dialog = nullptr;
    WaitUntil(
        [&] {
            dialog = nullptr;
            for (HWND found : Dialogs())
                if ((!owner || GetWindow(found, GW_OWNER) == owner) && (!control || GetDlgItem(found, control)))
                    dialog = found;
            return dialog != nullptr;
        },
        timeoutMs);
    return dialog;
}

Box WaitForBox(HWND owner, int timeoutMs) {
    Box box;
    box.hwnd = FindDialog(owner, 0xFFFF, timeoutMs);
    box.caption = box.hwnd ? TextOf(box.hwnd) : L"(no box)";
    box.text = box.hwnd ? TextOf(box.hwnd, 0xFFFF) : L"(no box)";
    return box;
}

bool Answer(HWND dialog, int button) {
    PostMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(button), 0);
    return WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
}

bool ChooseFile(HWND dialog, const std::wstring& path) {
    std::wstring typed = path;
    std::replace(typed.begin(), typed.end(), L'/', L'\\');
    SendMessageW(FileNameEdit(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
    return Answer(dialog, IDOK);
}

std::wstring SystemText(DWORD code) {
    wchar_t text[kTextChars] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, kTextChars,
                   nullptr);
    std::wstring trimmed = text;
    while (!trimmed.empty() && (trimmed.back() == L'\n' || trimmed.back() == L'\r'))
        trimmed.pop_back();
    return trimmed;
}

std::wstring TextOf(HWND window) {
    wchar_t text[kTextChars] = {};
    // WM_GETTEXT reaches windows of other threads, where GetWindowText may not.
    SendMessageW(window, WM_GETTEXT, kTextChars, reinterpret_cast<LPARAM>(text));
    return text;
}

void Type(HWND dialog, int id, const std::wstring& text) {
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

std::string ControlStates(HWND dialog, const std::vector<NamedControl>& controls) {
    std::string text;
    for (const NamedControl& control : controls) {
        HWND item = GetDlgItem(dialog, control.id);
        text += (text.empty() ? "" : " ") + std::string(control.name);
        if (SendMessageW(item, BM_GETCHECK, 0, 0) == BST_CHECKED) text += "[x]";
        if (!IsWindowEnabled(item)) text += "(off)";
        if (!IsWindowVisible(item)) text += "(hidden)";
    }
    return text;
}

std::string Rows(HWND list) {
    std::string rows;
    for (int item = 0; item < RowCount(list); ++item) {
        for (int column = 0; column < 4; ++column) {
            wchar_t text[kTextChars] = {};
            LVITEMW lv = {};
            lv.iSubItem = column;
            lv.pszText = text;
            lv.cchTextMax = kTextChars;
            SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lv));
            rows += (column ? " | " : "") + Utf8FromWide(text);
        }
        rows += "\n";
    }
    return rows;
}

int RowCount(HWND list) {
    return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

void SelectRows(HWND list, const std::vector<int>& rows) {
    LVITEMW lv = {};
    lv.stateMask = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&lv));
    lv.stateMask = lv.state = LVIS_SELECTED | LVIS_FOCUSED;
    for (int row : rows)
        SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&lv));
}

std::string CommandStates(HWND frame, const std::vector<int>& commands) {
    HWND bar =
        FindWindowExW(FindWindowExW(frame, nullptr, REBARCLASSNAMEW, nullptr), nullptr, TOOLBARCLASSNAMEW, nullptr);
    std::string text;
    for (int id : commands) {
        const UINT menu = GetMenuState(GetMenu(frame), id, MF_BYCOMMAND);
        text += (text.empty() ? "" : " ") + std::to_string(id) + ":" +
                ((menu & (MF_GRAYED | MF_DISABLED)) ? "-" : "+") + ((menu & MF_CHECKED) ? "*" : "");
        const LRESULT button = SendMessageW(bar, TB_GETSTATE, id, 0);
        if (button != -1)
            text += std::string((button & TBSTATE_ENABLED) ? "+" : "-") + ((button & TBSTATE_CHECKED) ? "*" : "");
    }
    return text;
}

std::string Stored(const SettingsStore& store, const std::wstring& subkey, const wchar_t* name) {
    SettingsKey key;
    SettingsValue value;
    if (store.OpenKey(subkey, &key) != 0 || key.ReadValue(name, &value) != 0) return "none";
    std::string text;
    for (size_t at = 0; at + 4 <= value.data.size(); at += 4) {
        int32_t number = 0;
        std::memcpy(&number, &value.data[at], 4);
        text += (at ? " " : "") + std::to_string(number);
    }
    return text;
}

void StoreDword(const SettingsStore& store, const std::wstring& subkey, const wchar_t* name, uint32_t value) {
    SettingsKey key;
    if (store.OpenKey(subkey, &key) == 0) key.WriteDword(name, value);
}

void StoreInts(const SettingsStore& store, const wchar_t* name, const std::vector<int32_t>& values) {
    SettingsKey key;
    if (store.OpenKey(&key) == 0) key.WriteBinary(name, values.data(), 4 * values.size());
}
