// Where the main window was when it last closed, under "MainWinPos" (left, top, width, height,
// maximized; 0x80000000 in the first four for a maximized window or none stored), and the
// splitter position under "SplitterPos".
#pragma once

#include <cstdint>

#include "settings/settings_store.h"

extern const wchar_t kWindowPlacementValue[];  // "MainWinPos", 20 bytes
extern const wchar_t kSplitterValue[];         // "SplitterPos", 32-bit

// The system's marker for a default position or size.
constexpr int32_t kDefaultMarker = INT32_MIN;  // 0x80000000

struct WindowPlacement {
    int32_t left = kDefaultMarker;
    int32_t top = kDefaultMarker;
    int32_t width = kDefaultMarker;
    int32_t height = kDefaultMarker;
    int32_t maximized = 0;

    // The creation rectangle (left, top, left + width, top + height) with 32-bit wrap-around, as
    // x, y, width, height: the default markers give the default position and size.
    void CreationArguments(int32_t* x, int32_t* y, int32_t* w, int32_t* h) const;
};

// The stored placement, or the defaults when it is missing or not 20 bytes.
WindowPlacement LoadWindowPlacement(const SettingsStore& store);
void SaveWindowPlacement(const SettingsStore& store, const WindowPlacement& placement);

// The stored splitter position; 0 when missing.
int32_t LoadSplitterPosition(const SettingsStore& store);
void SaveSplitterPosition(const SettingsStore& store, int32_t position);
