// Owning wrappers for the handles the windows of the program create: image lists, icons,
// bitmaps and menus, each released exactly once whatever way its owner goes.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <initializer_list>
#include <utility>

// One handle with the function that releases it; movable, not copyable.
template <typename Handle, typename Releaser>
class UniqueGdi {
public:
    UniqueGdi() = default;
    explicit UniqueGdi(Handle handle) : handle_(handle) {}
    ~UniqueGdi() { Reset(); }
    UniqueGdi(UniqueGdi&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueGdi& operator=(UniqueGdi&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    UniqueGdi(const UniqueGdi&) = delete;
    UniqueGdi& operator=(const UniqueGdi&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset(Handle handle = nullptr) {
        if (handle_) Releaser()(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

struct ImageListReleaser {
    void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
};
struct IconReleaser {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct BitmapReleaser {
    void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
struct MenuReleaser {
    void operator()(HMENU menu) const { DestroyMenu(menu); }
};

using UniqueImageList = UniqueGdi<HIMAGELIST, ImageListReleaser>;
using UniqueIcon = UniqueGdi<HICON, IconReleaser>;
using UniqueBitmap = UniqueGdi<HBITMAP, BitmapReleaser>;
using UniqueMenu = UniqueGdi<HMENU, MenuReleaser>;

// An icon resource of the program at size x size pixels (the closest image the icon holds).
inline UniqueIcon LoadSizedIcon(HINSTANCE instance, int id, int size) {
    return UniqueIcon(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0)));
}

// An image list of size x size icons holding the given icon resources, in order.
inline UniqueImageList IconImageList(HINSTANCE instance, int size, std::initializer_list<int> icons) {
    UniqueImageList list(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, static_cast<int>(icons.size()), 0));
    for (int id : icons) {
        UniqueIcon icon = LoadSizedIcon(instance, id, size);
        if (list && icon) ImageList_AddIcon(list.get(), icon.get());
    }
    return list;
}
