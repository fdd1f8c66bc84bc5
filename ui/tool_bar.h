// The toolbar of the main window: its buttons read from toolbar resource 4000 and its images
// from the strip drawn for the window's DPI, with one-line wrappers for the states the
// command-state rules set.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "ui/gdi_handles.h"

// The buttons of a toolbar resource, left to right: a command id, or 0 for a separator.
std::vector<int> LoadToolbarButtons(HINSTANCE instance, int resourceId);

// The toolbar images at size x size (16, 24 or 32): one image per non-separator button, in order.
UniqueImageList LoadToolbarImages(HINSTANCE instance, int size);

struct ToolBar {
    HWND hwnd = nullptr;
    std::vector<int> buttons;  // as the resource lists them
    UniqueImageList images;

    // A flat toolbar with tooltips for a rebar band; its commands and notifications go to notify.
    bool Create(HWND parent, HWND notify, HINSTANCE instance, int dpi);
    // Images and button size for a DPI.
    void SetImages(HINSTANCE instance, int dpi);

    void Enable(int command, bool on) { SendMessageW(hwnd, TB_ENABLEBUTTON, command, MAKELPARAM(on ? 1 : 0, 0)); }
    void Check(int command, bool on) { SendMessageW(hwnd, TB_CHECKBUTTON, command, MAKELPARAM(on ? 1 : 0, 0)); }
    bool IsEnabled(int command) const { return SendMessageW(hwnd, TB_ISBUTTONENABLED, command, 0) != 0; }
    bool IsChecked(int command) const { return SendMessageW(hwnd, TB_ISBUTTONCHECKED, command, 0) != 0; }
    bool HasButton(int command) const { return SendMessageW(hwnd, TB_COMMANDTOINDEX, command, 0) >= 0; }
    SIZE IdealSize() const;
};
