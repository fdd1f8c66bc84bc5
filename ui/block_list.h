// The block list: the list view on the right of the main window, one item per floppy disk block
// with the columns "Serial number", "Capability", "Used " and "Renew time". Thin wrappers over
// the list view; jobs reach it from their worker thread through these same calls, each one
// synchronous message.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "ui/block_list_state.h"
#include "ui/gdi_handles.h"

// The list's two image lists, owned apart from the control (which shares them): the application
// icon at 16 x 16 for the small views and 32 x 32 for big icons, both scaled from 96 DPI.
struct BlockListImages {
    UniqueImageList small;
    UniqueImageList big;
    static BlockListImages Load(HINSTANCE instance, int dpi);
};

// A plain handle wrapper: copies of it reach the same control (the jobs' front end keeps one).
struct BlockList {
    HWND hwnd = nullptr;

    // Detail view with automatic arrangement, grid lines, full-row selection and tips for cut
    // labels; the columns titled from string 51400 with the given widths (scaled from 96 DPI
    // when they are the defaults).
    bool Create(HWND parent, HINSTANCE instance, const BlockListState& state, int dpi);
    void SetImages(const BlockListImages& images) {
        SendMessageW(hwnd, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images.small.get()));
        SendMessageW(hwnd, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images.big.get()));
    }

    int Count() const { return static_cast<int>(SendMessageW(hwnd, LVM_GETITEMCOUNT, 0, 0)); }
    int SelectedCount() const { return static_cast<int>(SendMessageW(hwnd, LVM_GETSELECTEDCOUNT, 0, 0)); }
    bool IsSelected(int item) const { return SendMessageW(hwnd, LVM_GETITEMSTATE, item, LVIS_SELECTED) != 0; }
    // The lowest selected index, or -1.
    int FirstSelected() const {
        return static_cast<int>(SendMessageW(hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }
    std::wstring Text(int item, int column, int maxChars = 256) const;
    // Column 0 as a decimal number; -1 when it holds none.
    int BlockNumber(int item) const;

    void InsertItem(int item, const std::wstring& text);
    void SetText(int item, int column, const std::wstring& text);
    void DeleteAll() { SendMessageW(hwnd, LVM_DELETEALLITEMS, 0, 0); }
    void EnsureVisible(int item) { SendMessageW(hwnd, LVM_ENSUREVISIBLE, item, FALSE); }
    void Select(int item, bool on);
    void SelectAll() { Select(-1, true); }
    void SetAutoArrange(bool on);

    int ViewMode() const { return static_cast<int>(GetWindowLongPtrW(hwnd, GWL_STYLE) & LVS_TYPEMASK); }
    void SetViewMode(int mode);
    int ColumnWidth(int column) const { return static_cast<int>(SendMessageW(hwnd, LVM_GETCOLUMNWIDTH, column, 0)); }
    void SetColumnWidth(int column, int width) { SendMessageW(hwnd, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width, 0)); }

    // Sorts every item by the column's texts (ui/block_sort.h).
    void SortByColumn(int column, bool ascending);
    // The item under a point in client coordinates, or -1.
    int HitTest(POINT client) const;
};
