// The one tooltip control that the device tree and the block list share: one tool covering each
// whole window, whose text the main window's timer replaces (an empty text shows no tip).
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

struct HoverTip {
    HWND hwnd = nullptr;

    // Tips up to 500 pixels wide (longer texts wrap), shown for at most 20 seconds.
    bool Create(HWND owner, HINSTANCE instance);
    // A tool covering the whole window, with no text yet.
    void AddTool(HWND window);
    // Replaces the tool's text when it differs from the current one.
    void SetText(HWND window, const std::wstring& text);
    std::wstring Text(HWND window) const;
};
