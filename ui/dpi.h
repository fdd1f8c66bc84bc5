// Display scaling. The program declares itself aware of each monitor's scaling, so it sizes
// its own images, columns and splitter for the DPI its window is shown at (96 is 100%).
#pragma once

#include <windows.h>

constexpr int kDefaultDpi = 96;

// Sent from Windows 8.1 on when the window's monitor scaling changes; the build's Windows XP headers
// do not name it.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

// The DPI of the window's monitor where the system tells it per window, else the screen's.
int WindowDpi(HWND window);

// A size given at 96 DPI, scaled to dpi.
inline int ScaleToDpi(int value, int dpi) {
    return MulDiv(value, dpi, kDefaultDpi);
}

// The edge of the toolbar images drawn for a DPI: 16 up to 119 DPI, 24 up to 167, else 32.
int ToolbarImageSize(int dpi);
