// The settings dialog: the upload and backup root directories and the copy options.
#pragma once

#include <windows.h>

// Opens the dialog modally over owner; OK stores the changes in the program's block manager.
void RunSettingsDialog(HWND owner);
