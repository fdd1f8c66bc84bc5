// What the block list keeps between runs: its column widths (read from the control only in
// detail view) and the view command last chosen, under "ListViewColumnPos" and "LastSelStyle".
#pragma once

#include <cstdint>

#include "settings/settings_store.h"

// ViewMode: the list view's own view numbers, each the view command id minus 1053.
enum ViewMode : int {
    kViewBigIcons = 0,
    kViewDetail = 1,
    kViewSmallIcons = 2,
    kViewList = 3,
};

constexpr int kFirstViewCommand = 1053;  // big icons; 1054 detail, 1055 small icons, 1056 list
constexpr int kDetailViewCommand = 1054;
constexpr int kBlockListColumns = 4;
// A column width that gives no width: the column takes the control's default.
constexpr int32_t kNoColumnWidth = -1;

extern const wchar_t kColumnWidthsValue[];  // "ListViewColumnPos", 16 bytes
extern const wchar_t kLastViewValue[];      // "LastSelStyle", 32-bit

struct BlockListState {
    int32_t columnWidths[kBlockListColumns] = {100, 80, 80, 150};
    int32_t lastViewCommand = kDetailViewCommand;
    // True while the widths are the defaults (which are given at 96 DPI and scaled).
    bool defaultWidths = true;

    // Missing or short values keep the defaults.
    void Load(const SettingsStore& store);
    // Widths are written only when taken from the control in detail view (widthsTaken).
    void Save(const SettingsStore& store, bool widthsTaken) const;
};

// The view command a stored "LastSelStyle" selects: 1053, 1055 and 1056 as they are, anything
// else detail (1054).
int ViewCommandOf(int32_t stored);
inline int ViewModeOf(int viewCommand) {
    return viewCommand - kFirstViewCommand;
}
