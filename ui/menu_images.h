// The command bar of the main window is its native menu bar: the items of the commands that
// have a toolbar button show that button's image beside their text.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/gdi_handles.h"

class MenuImages {
public:
    // Gives every item of menu (and its popups) whose command is among commands the toolbar image
    // of that command, drawn at size x size. commands are the toolbar's buttons (0 separators).
    void Apply(HMENU menu, const std::vector<int>& commands, HINSTANCE instance, int size);

private:
    std::vector<UniqueBitmap> bitmaps_;
};
