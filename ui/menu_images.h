// The command bar of the main window is its native menu bar: the items of the commands that
// have a toolbar button show that button's image beside their text. The menu asks the window
// to measure and draw those images, which come from the toolbar's image list, so they keep
// their transparency on every system and follow the toolbar's size.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <map>
#include <vector>

class MenuImages {
public:
    // Gives every item of menu (and its popups) whose command is among commands (the toolbar's
    // buttons, 0 for separators) an image drawn by the window. Run again after the images change.
    void Apply(HMENU menu, const std::vector<int>& commands);

    // WM_MEASUREITEM and WM_DRAWITEM of a menu item's image; false for anything else.
    bool Measure(MEASUREITEMSTRUCT* item, HIMAGELIST images) const;
    bool Draw(const DRAWITEMSTRUCT* item, HIMAGELIST images) const;

private:
    std::map<int, int> imageOf_;  // command -> index in the toolbar's image list
};
