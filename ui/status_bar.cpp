// The status bar control.
#include "ui/status_bar.h"

#include <vector>

bool StatusBar::Create(HWND parent, HINSTANCE instance) {
    hwnd = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr,
                           WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBARS_SIZEGRIP | CCS_BOTTOM, 0, 0, 0, 0, parent,
                           nullptr, instance, nullptr);
    if (!hwnd) return false;
    int whole = -1;
    SendMessageW(hwnd, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&whole));
    return true;
}

std::wstring StatusBar::Text() const {
    const LRESULT length = LOWORD(SendMessageW(hwnd, SB_GETTEXTLENGTHW, 0, 0));
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(hwnd, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(buffer.data()));
    return std::wstring(buffer.data());
}

int StatusBar::Height() const {
    RECT rect = {};
    GetWindowRect(hwnd, &rect);
    return rect.bottom - rect.top;
}
