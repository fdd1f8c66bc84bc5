// The system's folder browser, used by the settings dialog to pick the upload and backup
// directories: file-system folders only, with a line of text above the tree.
#pragma once

#include <windows.h>

#include <string>

// Shows the browser modally over owner with title above the tree and initial selected (when it
// names a folder). True with the chosen folder's path in *chosen; false when cancelled.
bool BrowseForFolder(HWND owner, const std::wstring& title, const std::wstring& initial, std::wstring* chosen);
