// The block list control.
#include "ui/block_list.h"

#include <cwchar>
#include <vector>

#include "app/texts.h"
#include "ui/block_sort.h"
#include "ui/dpi.h"
#include "ui/resource.h"

namespace {
constexpr int kColumnTitles = 51400;  // "Serial number#Capability#Used #Renew time"
constexpr int kSortTextChars = 256;   // each compared text: at most 255 characters

// The texts of the sorted column, taken before the sort: the items move while the list sorts,
// so the comparison reads no item of the control.
struct SortContext {
    std::vector<std::wstring> texts;  // by the item's index before the sort, kept in its lParam
    int column;
    bool ascending;
};

std::wstring ItemText(HWND list, int item, int column, int maxChars) {
    std::vector<wchar_t> buffer(static_cast<size_t>(maxChars), L'\0');
    LVITEMW lv = {};
    lv.iSubItem = column;
    lv.pszText = buffer.data();
    lv.cchTextMax = maxChars;
    SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lv));
    return std::wstring(buffer.data());
}

int CALLBACK CompareItems(LPARAM first, LPARAM second, LPARAM param) {
    const auto* context = reinterpret_cast<const SortContext*>(param);
    return CompareBlockCells(context->column, context->texts[static_cast<size_t>(first)],
                             context->texts[static_cast<size_t>(second)], context->ascending);
}
}  // namespace

bool BlockList::Create(HWND parent, HINSTANCE instance, const BlockListState& state, int dpi) {
    // The image lists are shared: BlockListImages owns them.
    hwnd = CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_LISTVIEWW, nullptr,
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | LVS_REPORT | LVS_AUTOARRANGE | LVS_SHAREIMAGELISTS, 0, 0,
        0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_BLOCK_LIST)), instance, nullptr);
    if (!hwnd) return false;
    SendMessageW(hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);

    std::wstring titles = TextById(kColumnTitles);
    size_t start = 0;
    for (int column = 0; column < kBlockListColumns; ++column) {
        size_t end = titles.find(L'#', start);
        std::wstring title = titles.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        start = end == std::wstring::npos ? titles.size() : end + 1;

        LVCOLUMNW lv = {};
        lv.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
        lv.fmt = LVCFMT_LEFT;
        lv.pszText = title.data();
        lv.iSubItem = column;
        const int32_t width = state.columnWidths[column];
        if (width != kNoColumnWidth) {
            lv.mask |= LVCF_WIDTH;
            lv.cx = state.defaultWidths ? ScaleToDpi(width, dpi) : width;
        }
        SendMessageW(hwnd, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&lv));
    }
    return true;
}

BlockListImages BlockListImages::Load(HINSTANCE instance, int dpi) {
    BlockListImages images;
    images.small = IconImageList(instance, ScaleToDpi(16, dpi), {IDR_MAINFRAME});
    images.big = IconImageList(instance, ScaleToDpi(32, dpi), {IDR_MAINFRAME});
    return images;
}

std::wstring BlockList::Text(int item, int column, int maxChars) const {
    return ItemText(hwnd, item, column, maxChars);
}

int BlockList::BlockNumber(int item) const {
    int number = -1;
    if (std::swscanf(Text(item, 0, 32).c_str(), L"%d", &number) != 1) return -1;
    return number;
}

void BlockList::InsertItem(int item, const std::wstring& text) {
    LVITEMW lv = {};
    lv.mask = LVIF_TEXT | LVIF_IMAGE;
    lv.iItem = item;
    lv.pszText = const_cast<wchar_t*>(text.c_str());
    lv.iImage = 0;
    SendMessageW(hwnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lv));
}

void BlockList::SetText(int item, int column, const std::wstring& text) {
    LVITEMW lv = {};
    lv.iSubItem = column;
    lv.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(hwnd, LVM_SETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lv));
}

void BlockList::Select(int item, bool on) {
    LVITEMW lv = {};
    lv.stateMask = LVIS_SELECTED;
    lv.state = on ? LVIS_SELECTED : 0;
    SendMessageW(hwnd, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&lv));
}

void BlockList::SetAutoArrange(bool on) {
    LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    SetWindowLongPtrW(hwnd, GWL_STYLE, on ? (style | LVS_AUTOARRANGE) : (style & ~LVS_AUTOARRANGE));
}

void BlockList::SetViewMode(int mode) {
    LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    SetWindowLongPtrW(hwnd, GWL_STYLE, (style & ~static_cast<LONG_PTR>(LVS_TYPEMASK)) | (mode & LVS_TYPEMASK));
}

void BlockList::SortByColumn(int column, bool ascending) {
    SortContext context{{}, column, ascending};
    const int count = Count();
    for (int item = 0; item < count; ++item) {
        context.texts.push_back(Text(item, column, kSortTextChars));
        LVITEMW lv = {};
        lv.mask = LVIF_PARAM;
        lv.iItem = item;
        lv.lParam = item;
        SendMessageW(hwnd, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&lv));
    }
    SendMessageW(hwnd, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&context), reinterpret_cast<LPARAM>(CompareItems));
}

int BlockList::HitTest(POINT client) const {
    LVHITTESTINFO info = {};
    info.pt = client;
    return static_cast<int>(SendMessageW(hwnd, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
}
