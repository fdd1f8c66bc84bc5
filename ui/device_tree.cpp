// The device tree control.
#include "ui/device_tree.h"

#include "app/texts.h"
#include "ui/dpi.h"
#include "ui/resource.h"

namespace {
constexpr int kMyComputerText = 51401;
constexpr int kComputerImage = 0;
constexpr int kDriveImage = 1;
constexpr int kItemChars = 64;

HTREEITEM InsertItem(HWND tree, HTREEITEM parent, const std::wstring& text, int image) {
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.iImage = image;
    insert.item.iSelectedImage = image;
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}
}  // namespace

bool DeviceTree::Create(HWND parent, HINSTANCE instance, int dpi) {
    hwnd = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, nullptr,
                           WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                               TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP | TVS_SINGLEEXPAND,
                           0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_DEVICE_TREE)), instance,
                           nullptr);
    if (!hwnd) return false;
    SetImages(instance, dpi);
    Reset();
    return true;
}

void DeviceTree::SetImages(HINSTANCE instance, int dpi) {
    UniqueImageList fresh = IconImageList(instance, ScaleToDpi(16, dpi), {IDI_COMPUTER, IDI_DRIVE});
    TreeView_SetImageList(hwnd, fresh.get(), TVSIL_NORMAL);
    images = std::move(fresh);
}

void DeviceTree::Reset() {
    if (root) TreeView_DeleteItem(hwnd, root);
    root = InsertItem(hwnd, nullptr, TextById(kMyComputerText), kComputerImage);
}

void DeviceTree::AddDrive(const std::wstring& text) {
    InsertItem(hwnd, root, text, kDriveImage);
    TreeView_Expand(hwnd, root, TVE_EXPAND);
}

bool DeviceTree::SelectDriveItem(const std::wstring& key) {
    for (HTREEITEM item = FirstChild(); item; item = Next(item)) {
        if (key == L"*" || DriveKey(item) == key) {
            TreeView_SelectItem(hwnd, item);
            return true;
        }
    }
    return false;
}

std::wstring DeviceTree::ItemText(HTREEITEM item) const {
    wchar_t buffer[kItemChars] = {};
    TVITEMW tv = {};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = buffer;
    tv.cchTextMax = kItemChars;
    if (!item || !SendMessageW(hwnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return std::wstring();
    return buffer;
}

HTREEITEM DeviceTree::HitTest(POINT client) const {
    TVHITTESTINFO info = {};
    info.pt = client;
    HTREEITEM item = TreeView_HitTest(hwnd, &info);
    return (info.flags & TVHT_ONITEM) ? item : nullptr;
}
