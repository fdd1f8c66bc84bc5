// The texts of the commands: the status-bar prompt of a menu item (its string-table entry up to
// the first line feed) and the tooltip of a toolbar button (the text after it), and the prompts
// of the window's system menu.
#pragma once

#include <string>

// At most 255 characters; empty for a command without an entry.
std::wstring CommandPrompt(int command);
// At most 79 characters; empty for an entry without a line feed.
std::wstring CommandTooltip(int command);
// The prompt of a system menu item (SC_SIZE, SC_MOVE, ...); items of a window list give
// "Activate this window"; anything else an empty text.
std::wstring SystemMenuPrompt(unsigned command);
