// The one harness of the window tests: a window or dialog runs on a thread of its own with its
// message loop while the test, from its own thread, finds and answers the dialogs and boxes that
// open, reads and steers the controls, and reads and writes the values under its settings key.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "settings/settings_store.h"

// Polls every 10 ms until done() holds or timeoutMs has passed; the last answer of done().
// Generous by default: a loaded machine under Wine can take seconds to show a window.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 30000);
// Runs work on the thread of window, inside a message sent to it.
void RunOn(HWND window, const std::function<void()>& work);
// Sends a message; false when the handler did not return within 5 s because it opened a box or
// a dialog. Shows that a request was refused without waiting for something not to happen.
bool SendReturns(HWND window, UINT message, WPARAM wParam, LPARAM lParam = 0);

// run(owner) on a thread of its own, owner a plain window made there at ownerRect (none when the
// rect is empty). What is still open when the object goes, boxes and dialogs of the process and
// windows of the thread, is cancelled or closed before the thread is joined.
class UiThread {
public:
    explicit UiThread(std::function<int(HWND owner)> run, RECT ownerRect = RECT{});
    ~UiThread();
    HWND owner() const { return owner_; }
    bool ended() const { return ended_; }
    // run's result; -1 when it has not returned within timeoutMs.
    int Result(int timeoutMs = 30000);

private:
    std::atomic<HWND> owner_{nullptr};
    std::atomic<DWORD> id_{0};
    std::atomic<bool> ready_{false};
    std::atomic<bool> ended_{false};
    std::atomic<int> result_{-1};
    std::thread thread_;
};

// A visible dialog-class window of this process owned by owner (any when null) and holding the
// control (any when 0); null when none came within timeoutMs.
HWND FindDialog(HWND owner, int control = 0, int timeoutMs = 30000);
// A message box over owner, with its caption and text (control 0xFFFF).
struct Box {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring text;
};
Box WaitForBox(HWND owner, int timeoutMs = 30000);
// Presses a button (WM_COMMAND with its id) and waits until the box or dialog has gone.
bool Answer(HWND dialog, int button);
// Types a path into a file dialog (with the system's separators) and presses OK.
bool ChooseFile(HWND dialog, const std::wstring& path);
// The system's own text for an error code, without its line break.
std::wstring SystemText(DWORD code);

std::wstring TextOf(HWND window);
inline std::wstring TextOf(HWND dialog, int id) {
    return TextOf(GetDlgItem(dialog, id));
}
void Type(HWND dialog, int id, const std::wstring& text);
// A click on a check box, radio button or button that opens nothing modal.
void Click(HWND dialog, int id);
// Named controls as one line: "name", then "[x]" when checked, "(off)" when disabled,
// "(hidden)" when not visible.
struct NamedControl {
    const char* name;
    int id;
};
std::string ControlStates(HWND dialog, const std::vector<NamedControl>& controls);

// A list view's rows, UTF-8, one line each, the cells joined by " | ".
std::string Rows(HWND list);
int RowCount(HWND list);
// Selects exactly these rows, the last one focused, as clicks leave them.
void SelectRows(HWND list, const std::vector<int>& rows);
// Each command as "id:", its menu state ('+' enabled, '-' disabled, '*' checked), then its
// toolbar button's when it has one: "1021:++ 1031:- 1054:+*+*".
std::string CommandStates(HWND frame, const std::vector<int>& commands);

// A value under the store's key (subkey "": the key itself) as text: a DWORD as its number,
// binary data as 32-bit numbers separated by spaces, "none" when missing.
std::string Stored(const SettingsStore& store, const std::wstring& subkey, const wchar_t* name);
void StoreDword(const SettingsStore& store, const std::wstring& subkey, const wchar_t* name, uint32_t value);
void StoreInts(const SettingsStore& store, const wchar_t* name, const std::vector<int32_t>& values);
