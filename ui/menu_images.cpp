// Menu item bitmaps cut from the toolbar's image strip, with the transparent pixels of the
// strip as alpha 0, so that the menu draws them over its own background.
#include "ui/menu_images.h"

#include <cstdint>
#include <cstring>
#include <map>

#include "ui/resource.h"

namespace {
constexpr uint32_t kMaskColour = 0x00FF00FF;  // 255,0,255 as a 32-bit pixel without alpha

int StripResource(int size) {
    if (size >= 32) return IDB_TOOLBAR32;
    if (size >= 24) return IDB_TOOLBAR24;
    return IDR_MAINFRAME;
}

// A top-down 32-bit bitmap of one strip cell; pixels are opaque or fully transparent, so their
// colours need no premultiplying.
UniqueBitmap CutCell(const uint8_t* stripBits, int stripWidth, int edge, int cell) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = edge;
    info.bmiHeader.biHeight = -edge;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) return bitmap;
    auto* out = static_cast<uint32_t*>(bits);
    for (int y = 0; y < edge; ++y) {
        // The strip is bottom-up.
        const uint8_t* row = stripBits + static_cast<size_t>(edge - 1 - y) * stripWidth * 4;
        for (int x = 0; x < edge; ++x) {
            uint32_t pixel;
            std::memcpy(&pixel, row + static_cast<size_t>(cell * edge + x) * 4, 4);
            const bool clear = (pixel & 0x00FFFFFF) == kMaskColour || (pixel >> 24) == 0;
            out[y * edge + x] = clear ? 0 : (pixel | 0xFF000000);
        }
    }
    return bitmap;
}

void SetItemImages(HMENU menu, const std::map<int, HBITMAP>& images) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        HMENU popup = GetSubMenu(menu, i);
        if (popup) {
            SetItemImages(popup, images);
            continue;
        }
        auto found = images.find(static_cast<int>(GetMenuItemID(menu, i)));
        if (found == images.end()) continue;
        MENUITEMINFOW item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_BITMAP;
        item.hbmpItem = found->second;
        SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
    }
}
}  // namespace

void MenuImages::Apply(HMENU menu, const std::vector<int>& commands, HINSTANCE instance, int size) {
    UniqueBitmap strip(static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(StripResource(size)), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    DIBSECTION section = {};
    if (!strip || GetObjectW(strip.get(), sizeof(section), &section) != sizeof(section)) return;
    if (section.dsBm.bmBitsPixel != 32 || !section.dsBm.bmBits) return;
    const int edge = section.dsBm.bmHeight;
    const int cells = section.dsBm.bmWidth / edge;

    std::vector<UniqueBitmap> fresh;
    std::map<int, HBITMAP> images;
    int cell = 0;
    for (int command : commands) {
        if (command == 0) continue;
        if (cell >= cells) break;
        fresh.push_back(CutCell(static_cast<const uint8_t*>(section.dsBm.bmBits), section.dsBm.bmWidth, edge, cell++));
        images[command] = fresh.back().get();
    }
    SetItemImages(menu, images);
    // The old bitmaps go only after the menu holds the new ones.
    bitmaps_ = std::move(fresh);
}
