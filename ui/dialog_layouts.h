// The dialogs of formatting, settings and the About box are laid out in the resource script;
// until their own code exists their commands show the layout and nothing more: the dialog
// closes on Cancel, Esc or its close box (the About box also on OK) and changes nothing.
#pragma once

#include <windows.h>

void ShowDialogLayout(HWND owner, int dialogId);
