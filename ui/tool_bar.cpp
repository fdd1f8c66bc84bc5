// Toolbar resource, image strips and the toolbar control.
#include "ui/tool_bar.h"

#include "ui/dpi.h"
#include "ui/resource.h"

namespace {
// Toolbar resource layout, in 16-bit words: version, image width, image height, button count,
// then the command of each button.
constexpr size_t kToolbarHeaderWords = 4;
constexpr COLORREF kMaskColour = RGB(255, 0, 255);

int StripResource(int size) {
    if (size >= 32) return IDB_TOOLBAR32;
    if (size >= 24) return IDB_TOOLBAR24;
    return IDR_MAINFRAME;
}
}  // namespace

std::vector<int> LoadToolbarButtons(HINSTANCE instance, int resourceId) {
    std::vector<int> buttons;
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(RT_TOOLBAR_DATA));
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const auto* words = loaded ? static_cast<const WORD*>(LockResource(loaded)) : nullptr;
    if (!words) return buttons;
    const size_t available = SizeofResource(instance, found) / sizeof(WORD);
    if (available < kToolbarHeaderWords) return buttons;
    const size_t count = words[3];
    for (size_t i = 0; i < count && kToolbarHeaderWords + i < available; ++i)
        buttons.push_back(words[kToolbarHeaderWords + i]);
    return buttons;
}

UniqueImageList LoadToolbarImages(HINSTANCE instance, int size) {
    UniqueBitmap strip(static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(StripResource(size)), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!strip) return UniqueImageList();
    BITMAP info = {};
    GetObjectW(strip.get(), sizeof(info), &info);
    const int edge = info.bmHeight;
    UniqueImageList list(ImageList_Create(edge, edge, ILC_COLOR32 | ILC_MASK, info.bmWidth / edge, 0));
    if (list) ImageList_AddMasked(list.get(), strip.get(), kMaskColour);
    return list;
}

bool ToolBar::Create(HWND parent, HWND notify, HINSTANCE instance, int dpi) {
    buttons = LoadToolbarButtons(instance, IDR_MAINFRAME);
    hwnd = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                           WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                               CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN,
                           0, 0, 0, 0, parent, nullptr, instance, nullptr);
    if (!hwnd) return false;
    SendMessageW(hwnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(hwnd, TB_SETPARENT, reinterpret_cast<WPARAM>(notify), 0);
    SetImages(instance, dpi);

    std::vector<TBBUTTON> items;
    int image = 0;
    for (int command : buttons) {
        TBBUTTON item = {};
        if (command == 0) {
            item.fsStyle = BTNS_SEP;
        } else {
            item.iBitmap = image++;
            item.idCommand = command;
            item.fsState = TBSTATE_ENABLED;
            item.fsStyle = BTNS_BUTTON;
        }
        items.push_back(item);
    }
    SendMessageW(hwnd, TB_ADDBUTTONSW, items.size(), reinterpret_cast<LPARAM>(items.data()));
    SendMessageW(hwnd, TB_AUTOSIZE, 0, 0);
    return true;
}

void ToolBar::SetImages(HINSTANCE instance, int dpi) {
    const int size = ToolbarImageSize(dpi);
    UniqueImageList fresh = LoadToolbarImages(instance, size);
    SendMessageW(hwnd, TB_SETBITMAPSIZE, 0, MAKELPARAM(size, size));
    SendMessageW(hwnd, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(fresh.get()));
    // The button grows with its image: a margin of a quarter of the image on each side.
    const int button = size + size / 2 + 1;
    SendMessageW(hwnd, TB_SETBUTTONSIZE, 0, MAKELPARAM(button, button));
    images = std::move(fresh);
    SendMessageW(hwnd, TB_AUTOSIZE, 0, 0);
}

SIZE ToolBar::IdealSize() const {
    SIZE size = {};
    SendMessageW(hwnd, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    return size;
}
