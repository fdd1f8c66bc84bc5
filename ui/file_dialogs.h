// The image file dialogs of the main window, with the filter of string 52408 ("Image file
// (*.img) " for *.img, "all file(*.*)" for *.*) and a 260-character file name.
#pragma once

#include <windows.h>

#include <string>

// String 52408 with every "#" turned into a terminator: the dialogs' filter pairs.
std::wstring ImageFileFilter();

// Commands 1024 and 1032: "Select to write image file", an existing file, no read-only box.
bool AskImageToWrite(HWND owner, std::wstring* path);
// Command 1025: "Save image file", default extension img, proposed name FIMG%03d of the block,
// asking before overwriting, in an existing folder.
bool AskImageToExport(HWND owner, int block, std::wstring* path);
// "Attach drive image...": an existing image file to stand in for a USB flash drive.
bool AskDriveImageToAttach(HWND owner, std::wstring* path);
