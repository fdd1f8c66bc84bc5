// The main window's status bar: one part with a size grip for the idle text, progress texts and
// the selection summary, and a single-text mode for menu prompts.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

struct StatusBar {
    HWND hwnd = nullptr;

    bool Create(HWND parent, HINSTANCE instance);

    void SetText(const std::wstring& text) {
        SendMessageW(hwnd, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    std::wstring Text() const;
    // Menu prompts: while a menu is open the bar shows one text over its whole width.
    void SetSimple(bool on) { SendMessageW(hwnd, SB_SIMPLE, on ? TRUE : FALSE, 0); }
    void SetSimpleText(const std::wstring& text) {
        SendMessageW(hwnd, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(text.c_str()));
    }
    bool IsSimple() const { return SendMessageW(hwnd, SB_ISSIMPLE, 0, 0) != 0; }
    int Height() const;
};
