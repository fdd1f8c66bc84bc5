// Pictures of the screen kept as PNG files under the build tree's artifacts/, for people to
// look at after a test run.
#pragma once

#include <windows.h>

#include <cstddef>

// Saves the screen under rect as artifacts/<name> and prints where. The test fails when the
// area holds no more than minColours colours: a drawn window has texts, frames and shades, a
// blank screen one colour.
void SaveScreenshot(const RECT& rect, const char* name, size_t minColours);

// The same for a window's rectangle, after it has been redrawn and given a moment to settle.
void SaveScreenshot(HWND window, const char* name, size_t minColours = 4);
