// Menu item images drawn from the toolbar's image list.
#include "ui/menu_images.h"

namespace {
void SetItemImages(HMENU menu, const std::map<int, int>& images) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        HMENU popup = GetSubMenu(menu, i);
        if (popup) {
            SetItemImages(popup, images);
            continue;
        }
        if (images.count(static_cast<int>(GetMenuItemID(menu, i))) == 0) continue;
        MENUITEMINFOW item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_BITMAP;
        item.hbmpItem = HBMMENU_CALLBACK;
        SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
    }
}
}  // namespace

void MenuImages::Apply(HMENU menu, const std::vector<int>& commands) {
    imageOf_.clear();
    int image = 0;
    for (int command : commands) {
        if (command != 0) imageOf_[command] = image++;
    }
    SetItemImages(menu, imageOf_);
}

bool MenuImages::Measure(MEASUREITEMSTRUCT* item, HIMAGELIST images) const {
    if (item->CtlType != ODT_MENU || imageOf_.count(static_cast<int>(item->itemID)) == 0) return false;
    int width = 0, height = 0;
    ImageList_GetIconSize(images, &width, &height);
    // A little air between the image and the item's text.
    item->itemWidth = static_cast<UINT>(width + width / 4);
    item->itemHeight = static_cast<UINT>(height);
    return true;
}

bool MenuImages::Draw(const DRAWITEMSTRUCT* item, HIMAGELIST images) const {
    if (item->CtlType != ODT_MENU) return false;
    auto found = imageOf_.find(static_cast<int>(item->itemID));
    if (found == imageOf_.end()) return false;
    int width = 0, height = 0;
    ImageList_GetIconSize(images, &width, &height);
    const RECT& area = item->rcItem;
    const int x = area.left + ((area.right - area.left) - width) / 2;
    const int y = area.top + ((area.bottom - area.top) - height) / 2;
    if (!(item->itemState & ODS_GRAYED)) {
        ImageList_Draw(images, found->second, item->hDC, x, y, ILD_TRANSPARENT);
        return true;
    }
    // A disabled command's image is drawn the way the system draws disabled icons.
    HICON icon = ImageList_GetIcon(images, found->second, ILD_TRANSPARENT);
    if (icon) {
        DrawStateW(item->hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, width, height,
                   DST_ICON | DSS_DISABLED);
        DestroyIcon(icon);
    }
    return true;
}
