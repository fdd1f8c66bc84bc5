// Every message box of the program: text and caption from the string table, the box centred over
// a window by a per-thread CBT hook; boxes with the system's text for the last system error; and
// the boxes for the result codes of block operations and jobs. Windows only.
#pragma once

#include <windows.h>

#include <string>

// The window that boxes are centred over and owned by when the caller gives none: the main
// window, which publishes itself when it is created and clears this when it is destroyed.
void SetMainWindowForMessages(HWND window);
HWND MainWindowForMessages();

// Shows a box with caption string 4000. textOrId is a text, or a string-table id given as
// MAKEINTRESOURCEW (any value up to 0xFFFF is taken as an id). A null centreWindow or owner
// means the main window. Returns the button pressed (the MessageBoxW result).
int ShowMessage(const wchar_t* textOrId, UINT style, HWND centreWindow, HWND owner);

// The short forms: one window to centre over and to own the box.
inline int ShowMessage(const wchar_t* textOrId, UINT style = MB_OK, HWND window = nullptr) {
    return ShowMessage(textOrId, style, window, window);
}
inline int ShowMessage(const std::wstring& text, UINT style = MB_OK, HWND window = nullptr) {
    return ShowMessage(text.c_str(), style, window, window);
}
inline int ShowMessage(int textId, UINT style = MB_OK, HWND window = nullptr) {
    return ShowMessage(MAKEINTRESOURCEW(textId), style, window, window);
}

// An exclamation box with the system's text for the last system error ("Error number not
// found." when no table knows it), under firstLine and a line feed when firstLine is given.
int ShowSystemError(const wchar_t* firstLine, HWND owner);

// The box for a result code, exclamation style: none for 0 (returns 0), the system error box for
// -1, the fixed texts of the known results, "Error code: %x" for any other.
int ShowResultMessage(int code, HWND owner);

// Where a box of size box goes over the window at centre: centred, then kept on the desktop
// (left and top edges first, then right and bottom).
POINT CentredBoxPosition(const RECT& centre, const RECT& desktop, const RECT& box);

// Moves box to CentredBoxPosition over centre, first showing centre normally when it is
// minimised. Nothing happens when centre is not a window.
void CentreWindowOver(HWND box, HWND centre);
