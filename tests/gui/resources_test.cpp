// The compiled resource script as the program loads it: every text of the string table, the main
// menu, the accelerators, the toolbar and its images, the icons, the version and the manifest.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_module.h"
#include "app/texts.h"
#include "ui/resource.h"

namespace {

struct Line {
    int id;
    const char* text;
};
#define SW_TEXT(id, text) {id, text},
const Line kLines[] = {
#include "app/texts.def"
};
#undef SW_TEXT

// The string-table ids: those the resource script can take.
std::vector<int> TableIds() {
    std::vector<int> ids;
    for (const Line& line : kLines)
        if (line.id <= 0xFFFF) ids.push_back(line.id);
    return ids;
}

TEST(StringTable, EveryTextLoadsExactlyAsTheProgramKnowsIt) {
    for (int id : TableIds()) {
        EXPECT_EQ(LoadResourceText(static_cast<UINT>(id)), std::wstring(TextById(id))) << "string " << id;
    }
}

TEST(StringTable, TextsBeyondAsciiKeepTheirCharacters) {
    EXPECT_EQ(LoadResourceText(52406), L"The file system of floppy disk is error\u00A3\u00A1");
    EXPECT_EQ(LoadResourceText(61419), L"The number of floppy disk block (1 - %d)\u00A3\u00BA");
    EXPECT_EQ(LoadResourceText(61437),
              L"Connect to kvn service failure,\nplease run TV_FBKT\\InstallKVN.bat to install service as "
              L"administrator.");
    EXPECT_EQ(LoadResourceText(5104), L"backup usb disk all floppy block to pc.\tBackup disk Ctrl+B");
}

// Counts the non-empty strings of every string-table block of the module.
BOOL CALLBACK CountBlockStrings(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
    HRSRC found = FindResourceW(module, name, type);
    const auto* data = static_cast<const WORD*>(LockResource(LoadResource(module, found)));
    for (int i = 0; i < 16; ++i) {
        WORD length = *data++;
        if (length) ++*reinterpret_cast<int*>(param);
        data += length;
    }
    return TRUE;
}

TEST(StringTable, HoldsNoTextBesidesTheProgramsOwn) {
    int count = 0;
    EnumResourceNamesW(appInstance, MAKEINTRESOURCEW(6), CountBlockStrings, reinterpret_cast<LONG_PTR>(&count));
    EXPECT_EQ(count, static_cast<int>(TableIds().size()));
    EXPECT_EQ(LoadResourceText(1052), L"");  // Bulk format has no prompt
}

struct Item {
    UINT id;  // 0 for a separator
    const wchar_t* text;
};

struct Popup {
    const wchar_t* text;
    std::vector<Item> items;
};

const std::vector<Popup> kMenu = {
    {L"&File",
     {{1010, L"Upload &directory...\tCtrl+D"},
      {0, nullptr},
      {5103, L"&Backup directory..."},
      {5105, L"&Attach drive image..."},
      {0, nullptr},
      {1011, L"E&xit"}}},
    {L"&USB Flash Drive",
     {{1012, L"&Format ...\tCtrl+F"}, {1013, L"&Refresh\tF5"}, {0, nullptr}, {5104, L"&Backup disk \tCtrl+B"}}},
    {L"&Single",
     {{1021, L"&Open"},
      {1022, L"&Save"},
      {0, nullptr},
      {1024, L"&Write image file..."},
      {1025, L"&Export image file..."},
      {0, nullptr},
      {1026, L"&Format..."}}},
    {L"&Bulk",
     {{1030, L"Bulk &open"},
      {1031, L"Bulk &save"},
      {0, nullptr},
      {1032, L"Bulk &write image file..."},
      {1052, L"Bulk &format..."}}},
    {L"&Option",
     {{1057, L"Select &all\tCtrl+A"},
      {0, nullptr},
      {1053, L"Bi&g icon"},
      {1055, L"&Small icon"},
      {1056, L"&List"},
      {1054, L"&Detail information"},
      {0, nullptr},
      {1058, L"&Set...\tCtrl+Q"}}},
    {L"&Help", {{1061, L"&About"}}},
};

std::wstring MenuText(HMENU menu, int position) {
    wchar_t buffer[256] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), buffer, 256, MF_BYPOSITION);
    return buffer;
}

TEST(MainMenu, HasEveryItemWithItsMnemonicInOrder) {
    HMENU menu = LoadMenuW(appInstance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(kMenu.size()));
    for (size_t p = 0; p < kMenu.size(); ++p) {
        EXPECT_EQ(MenuText(menu, static_cast<int>(p)), kMenu[p].text);
        HMENU popup = GetSubMenu(menu, static_cast<int>(p));
        ASSERT_NE(popup, nullptr) << p;
        const auto& items = kMenu[p].items;
        ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(items.size())) << kMenu[p].text;
        for (size_t i = 0; i < items.size(); ++i) {
            MENUITEMINFOW info = {};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_FTYPE | MIIM_ID;
            ASSERT_TRUE(GetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &info));
            if (!items[i].text) {
                EXPECT_TRUE(info.fType & MFT_SEPARATOR) << kMenu[p].text << " item " << i;
                continue;
            }
            EXPECT_EQ(info.wID, items[i].id) << kMenu[p].text << " item " << i;
            EXPECT_EQ(MenuText(popup, static_cast<int>(i)), items[i].text);
        }
    }
    DestroyMenu(menu);
}

TEST(MainMenu, EveryCommandHasItsPromptExceptBulkFormat) {
    HMENU menu = LoadMenuW(appInstance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_NE(menu, nullptr);
    for (const Popup& popup : kMenu) {
        for (const Item& item : popup.items) {
            if (!item.text) continue;
            EXPECT_EQ(LoadResourceText(item.id).empty(), item.id == 1052u) << item.id;
        }
    }
    DestroyMenu(menu);
}

TEST(Accelerators, ExactlyTheFiveKeys) {
    HACCEL table = LoadAcceleratorsW(appInstance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_NE(table, nullptr);
    ACCEL keys[16] = {};
    int count = CopyAcceleratorTableW(table, keys, 16);
    ASSERT_EQ(count, 5);
    const struct {
        WORD key;
        BYTE modifiers;
        WORD command;
    } expected[] = {
        {'A', FCONTROL, 1057}, {'D', FCONTROL, 1010}, {'F', FCONTROL, 1012}, {'Q', FCONTROL, 1058}, {VK_F5, 0, 1013}};
    for (const auto& e : expected) {
        bool found = false;
        for (int i = 0; i < count; ++i) {
            if (keys[i].key == e.key && keys[i].cmd == e.command) {
                found = true;
                EXPECT_EQ(keys[i].fVirt & (FCONTROL | FSHIFT | FALT | FVIRTKEY), e.modifiers | FVIRTKEY) << e.command;
            }
        }
        EXPECT_TRUE(found) << "command " << e.command;
    }
    DestroyAcceleratorTable(table);
}

std::vector<WORD> ResourceWords(LPCWSTR type, int id) {
    HRSRC found = FindResourceW(appInstance, MAKEINTRESOURCEW(id), type);
    if (!found) return {};
    const auto* data = static_cast<const WORD*>(LockResource(LoadResource(appInstance, found)));
    return std::vector<WORD>(data, data + SizeofResource(appInstance, found) / sizeof(WORD));
}

TEST(Toolbar, ButtonsInOrderWithSeparators) {
    std::vector<WORD> words = ResourceWords(MAKEINTRESOURCEW(RT_TOOLBAR_DATA), IDR_MAINFRAME);
    const std::vector<WORD> expected = {1,    16, 16,   16,   1010, 0,    1021, 1022, 0, 1012,
                                        1013, 0,  1053, 1055, 1056, 1054, 0,    1058, 0, 5104};
    EXPECT_EQ(words, expected);
}

TEST(Toolbar, EachStripHasOneSquareImagePerButton) {
    const int buttons = 11;
    const struct {
        int id;
        int size;
    } strips[] = {{IDR_MAINFRAME, 16}, {IDB_TOOLBAR24, 24}, {IDB_TOOLBAR32, 32}};
    for (const auto& strip : strips) {
        HANDLE image = LoadImageW(appInstance, MAKEINTRESOURCEW(strip.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
        ASSERT_NE(image, nullptr) << strip.id;
        DIBSECTION dib = {};
        ASSERT_EQ(GetObjectW(image, sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
        EXPECT_EQ(dib.dsBm.bmWidth, buttons * strip.size) << strip.id;
        EXPECT_EQ(dib.dsBm.bmHeight, strip.size) << strip.id;
        EXPECT_EQ(dib.dsBm.bmBitsPixel, 32) << strip.id;
        // Every image has opaque pixels, and transparent ones carry the mask colour.
        const auto* pixels = static_cast<const BYTE*>(dib.dsBm.bmBits);
        for (int b = 0; b < buttons; ++b) {
            int opaque = 0;
            for (int y = 0; y < strip.size; ++y) {
                for (int x = b * strip.size; x < (b + 1) * strip.size; ++x) {
                    const BYTE* px = pixels + y * dib.dsBm.bmWidthBytes + x * 4;
                    if (px[3] == 255) {
                        ++opaque;
                    } else {
                        ASSERT_EQ(px[3], 0);
                        ASSERT_TRUE(px[0] == 255 && px[1] == 0 && px[2] == 255);
                    }
                }
            }
            EXPECT_GT(opaque, strip.size * strip.size / 8) << "strip " << strip.id << " button " << b;
        }
        DeleteObject(image);
    }
}

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(Icons, ApplicationComputerAndDriveIconsComeInFourSizes) {
    for (int id : {IDR_MAINFRAME, IDI_COMPUTER, IDI_DRIVE}) {
        std::vector<WORD> group = ResourceWords(MAKEINTRESOURCEW(14), id);  // RT_GROUP_ICON
        ASSERT_GE(group.size(), 3u) << id;
        const WORD count = group[2];
        ASSERT_EQ(group.size() * 2, 6 + count * sizeof(IconGroupEntry)) << id;
        const auto* entries = reinterpret_cast<const IconGroupEntry*>(group.data() + 3);
        std::vector<int> sizes;
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(entries[i].width, entries[i].height);
            EXPECT_EQ(entries[i].bitCount, 32);
            sizes.push_back(entries[i].width);
        }
        EXPECT_EQ(sizes, (std::vector<int>{16, 24, 32, 48})) << id;
        HICON icon = static_cast<HICON>(LoadImageW(appInstance, MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0));
        EXPECT_NE(icon, nullptr) << id;
        if (icon) DestroyIcon(icon);
    }
}

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || !length) return std::wstring();
    return static_cast<const wchar_t*>(value);
}

TEST(Version, NamesTheProgramAndVersionOnePointFourty) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(self, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(self, 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(40, 1));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(VersionString(block, L"ProductName"), L"Slotwise");
    EXPECT_EQ(VersionString(block, L"FileVersion"), L"1.40");
    EXPECT_EQ(VersionString(block, L"OriginalFilename"), L"slotwise.exe");
}

TEST(Manifest, CommonControlsSixAreLoaded) {
    HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(comctl, path, MAX_PATH);
    // Version 6 lives in the side-by-side store; the system folder holds version 5.
    std::wstring lower(path);
    for (wchar_t& c : lower)
        c = static_cast<wchar_t>(towlower(c));
    EXPECT_NE(lower.find(L"winsxs"), std::wstring::npos) << lower;
    EXPECT_NE(lower.find(L"common-controls"), std::wstring::npos) << lower;
    EXPECT_NE(lower.find(L"6.0"), std::wstring::npos) << lower;
}

TEST(Manifest, TheProcessIsAwareOfEachMonitorsScaling) {
    using GetContext = HANDLE(WINAPI*)();
    using GetAwareness = int(WINAPI*)(HANDLE);
    HMODULE user = GetModuleHandleW(L"user32.dll");
    auto getContext = reinterpret_cast<GetContext>(
        reinterpret_cast<void (*)()>(GetProcAddress(user, "GetThreadDpiAwarenessContext")));
    auto getAwareness = reinterpret_cast<GetAwareness>(
        reinterpret_cast<void (*)()>(GetProcAddress(user, "GetAwarenessFromDpiAwarenessContext")));
    if (!getContext || !getAwareness) GTEST_SKIP() << "this system predates per-monitor scaling";
    const int kPerMonitorAware = 2;  // DPI_AWARENESS_PER_MONITOR_AWARE
    EXPECT_EQ(getAwareness(getContext()), kPerMonitorAware);
}

}  // namespace
