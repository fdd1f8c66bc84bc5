// Looking at the main window from a test thread the way a user sees it: its panes, their rows
// and texts, the state of menu items and toolbar buttons, and the message boxes and dialogs
// that open over it, which the test reads and answers.
#pragma once

#include <windows.h>

#include <array>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

// Runs work on the thread of window, inside a message sent to it, and returns when it is done:
// state that only that thread touches (the drive list, the attached images) is changed there.
void RunOnWindowThread(HWND window, const std::function<void()>& work);

// Polls until done() holds or timeoutMs passes; the last answer of done().
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000);

HWND FindMainWindow();
HWND BlockListOf(HWND frame);
HWND DeviceTreeOf(HWND frame);
HWND StatusBarOf(HWND frame);
HWND ToolBarOf(HWND frame);

std::wstring WindowTextOf(HWND window);
std::wstring StatusTextOf(HWND frame);

using Row = std::array<std::wstring, 4>;
std::vector<Row> RowsOf(HWND list);
std::vector<std::wstring> ColumnTitlesOf(HWND list);
// Selects exactly the rows at these indexes (none for an empty list).
void SelectRows(HWND list, const std::vector<int>& rows);
std::vector<int> SelectedRowsOf(HWND list);

// The device tree's items: the root's text, then each child's.
struct TreeItems {
    std::wstring root;
    std::vector<std::wstring> children;
};
TreeItems TreeItemsOf(HWND tree);
// The first drive item's text area in the tree's client coordinates.
RECT FirstDriveItemRect(HWND tree);
// Selects the child whose text is text (the root when text is empty), as a click would.
bool SelectTreeItem(HWND tree, const std::wstring& text);

bool MenuItemEnabled(HWND frame, int command);
bool MenuItemChecked(HWND frame, int command);
bool ToolButtonEnabled(HWND frame, int command);
bool ToolButtonChecked(HWND frame, int command);

// A dialog-class window (a message box or a dialog) shown by any thread of this process.
struct OpenDialog {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring text;  // the message text, control 0xFFFF
    HWND owner = nullptr;
};
// Waits for a visible dialog-class window of this process; hwnd null when none came.
OpenDialog WaitForDialog(int timeoutMs = 10000);
// Presses a button of the dialog (WM_COMMAND with its id) and waits until it has gone.
bool AnswerDialog(const OpenDialog& dialog, int button);
// Types a file name into a file dialog and presses OK.
bool ChooseFileInDialog(const OpenDialog& dialog, const std::wstring& path);
// The file name a file dialog proposes, and its filters as the type box lists them.
std::wstring FileNameInDialog(const OpenDialog& dialog);
std::vector<std::wstring> FileTypesInDialog(const OpenDialog& dialog);
