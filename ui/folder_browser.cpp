// The folder browser over SHBrowseForFolderW.
#include "ui/folder_browser.h"

#include <shlobj.h>

namespace {
int CALLBACK SelectInitial(HWND browser, UINT message, LPARAM, LPARAM initial) {
    // The browser takes the path itself once it has filled its tree.
    if (message == BFFM_INITIALIZED) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, initial);
    return 0;
}
}  // namespace

bool BrowseForFolder(HWND owner, const std::wstring& title, const std::wstring& initial, std::wstring* chosen) {
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.pszDisplayName = displayName;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = SelectInitial;
    info.lParam = reinterpret_cast<LPARAM>(initial.c_str());
    PIDLIST_ABSOLUTE folder = SHBrowseForFolderW(&info);
    if (!folder) return false;
    wchar_t path[MAX_PATH] = {};
    const bool found = SHGetPathFromIDListW(folder, path) != FALSE;
    CoTaskMemFree(folder);
    if (found) *chosen = path;
    return found;
}
