// The device tree: the tree view on the left of the main window, "My computer" with one child
// per listed drive. An item's drive key is its text cut to two characters (the drive's name,
// such as E:); the root's key is empty.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "ui/gdi_handles.h"

struct DeviceTree {
    HWND hwnd = nullptr;
    HTREEITEM root = nullptr;
    UniqueImageList images;  // 16 x 16 at 96 DPI: 0 the computer, 1 a drive

    bool Create(HWND parent, HINSTANCE instance, int dpi);
    void SetImages(HINSTANCE instance, int dpi);

    // Deletes the root with its children and inserts "My computer" again.
    void Reset();
    // A drive item as the root's last child; the root is expanded.
    void AddDrive(const std::wstring& text);
    // Selects the first child ("*") or the first whose drive key equals key; false when none.
    bool SelectDriveItem(const std::wstring& key);

    std::wstring ItemText(HTREEITEM item) const;
    std::wstring DriveKey(HTREEITEM item) const { return item == root ? std::wstring() : ItemText(item).substr(0, 2); }
    HTREEITEM Selected() const { return TreeView_GetSelection(hwnd); }
    HTREEITEM FirstChild() const { return TreeView_GetChild(hwnd, root); }
    HTREEITEM Next(HTREEITEM item) const { return TreeView_GetNextSibling(hwnd, item); }
    // The item under a point in client coordinates, or null.
    HTREEITEM HitTest(POINT client) const;
};
