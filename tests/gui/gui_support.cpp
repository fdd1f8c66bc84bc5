// Test windows and the message box answering thread.
#include "gui_support.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

constexpr wchar_t kTestWindowClass[] = L"SlotwiseTestWindow";

void RegisterTestWindowClass() {
    static const bool registered = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kTestWindowClass;
        return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
}

std::wstring WindowText(HWND window) {
    wchar_t buffer[1024] = {};
    GetWindowTextW(window, buffer, 1024);
    return buffer;
}

struct FindDialog {
    HWND found = nullptr;
};

BOOL CALLBACK FindDialogOfThread(HWND window, LPARAM param) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (std::wstring(name) == L"#32770" && IsWindowVisible(window)) {
        reinterpret_cast<FindDialog*>(param)->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND DialogOfThread(DWORD threadId) {
    FindDialog find;
    EnumThreadWindows(threadId, FindDialogOfThread, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

bool IsActiveOnItsThread(HWND window, DWORD threadId) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(threadId, &info) && info.hwndActive == window;
}

}  // namespace

TestWindow::TestWindow(const RECT& rect) {
    RegisterTestWindowClass();
    hwnd_ = CreateWindowExW(0, kTestWindowClass, L"Test window", WS_OVERLAPPEDWINDOW, rect.left, rect.top,
                            rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, GetModuleHandleW(nullptr),
                            nullptr);
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
}

TestWindow::~TestWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

RECT DesktopRect() {
    RECT rect = {};
    GetWindowRect(GetDesktopWindow(), &rect);
    return rect;
}

SeenBox AnswerBox(const std::function<int()>& show,
                  int button,
                  int* result,
                  int timeoutMs,
                  const std::function<void(HWND)>& whileOpen) {
    using Clock = std::chrono::steady_clock;
    const DWORD threadId = GetCurrentThreadId();
    std::atomic<bool> shown{false};
    SeenBox seen;
    std::thread helper([&] {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        HWND box = nullptr;
        while (!box && !shown) {
            box = DialogOfThread(threadId);
            if (!box) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!box) return;
        // A late box is still answered, so that the test goes on, but it does not count.
        seen.found = Clock::now() <= deadline;
        const auto activeBy = Clock::now() + std::chrono::seconds(2);
        while (!IsActiveOnItsThread(box, threadId) && Clock::now() < activeBy)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (whileOpen) whileOpen(box);
        seen.caption = WindowText(box);
        seen.text = WindowText(GetDlgItem(box, 0xFFFF));
        GetWindowRect(box, &seen.rect);
        seen.owner = GetWindow(box, GW_OWNER);
        PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
    });
    int value = show();
    shown = true;
    helper.join();
    if (result) *result = value;
    return seen;
}
