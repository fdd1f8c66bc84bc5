// The About box: the program's name and version, and the maker's web addresses.
#pragma once

#include <windows.h>

// Opens the About box modally over owner.
void RunAboutDialog(HWND owner);
