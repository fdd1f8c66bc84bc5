// Helpers of the window tests: plain top-level windows to centre boxes over, and a helper thread
// that finds the message box the test thread opens, records what it shows and answers it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// A visible top-level window at rect (screen coordinates), destroyed with the object.
class TestWindow {
public:
    explicit TestWindow(const RECT& rect);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND hwnd() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

// The screen rectangle of the desktop window.
RECT DesktopRect();

// What a message box showed while it was open.
struct SeenBox {
    bool found = false;
    std::wstring caption;
    std::wstring text;  // control 0xFFFF
    RECT rect = {};
    HWND owner = nullptr;
};

// Calls show on this thread; meanwhile a helper thread waits up to timeoutMs for a dialog-class
// window (#32770) of this thread, waits until it is active (so that its centring has run), calls
// whileOpen with it, records it and answers it with WM_COMMAND button. *result receives show's
// return value. A box found after the timeout is still answered, so a test never hangs on it,
// but it is reported as not found.
SeenBox AnswerBox(const std::function<int()>& show,
                  int button,
                  int* result,
                  int timeoutMs = 5000,
                  const std::function<void(HWND)>& whileOpen = nullptr);
