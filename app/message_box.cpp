// Message boxes centred over a window, system error boxes and result boxes.
#include "app/message_box.h"

#include "app/app_module.h"
#include "app/result_text.h"
#include "app/texts.h"
#include "disk/system_error.h"

namespace {

HWND mainWindowForMessages = nullptr;

// One box opens at a time (one worker at a time), so the hook and its window are single values.
HHOOK centringHook = nullptr;
HWND centringWindow = nullptr;

LRESULT CALLBACK CentringHookProc(int code, WPARAM wParam, LPARAM lParam) {
    HHOOK hook = centringHook;
    if (code == HCBT_ACTIVATE && hook) {
        // Removed before centring: restoring a minimised window activates it, and that
        // activation must not be taken for the box's.
        centringHook = nullptr;
        UnhookWindowsHookEx(hook);
        CentreWindowOver(reinterpret_cast<HWND>(wParam), centringWindow);
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

}  // namespace

void SetMainWindowForMessages(HWND window) {
    mainWindowForMessages = window;
}

HWND MainWindowForMessages() {
    return mainWindowForMessages && IsWindow(mainWindowForMessages) ? mainWindowForMessages : nullptr;
}

POINT CentredBoxPosition(const RECT& centre, const RECT& desktop, const RECT& box) {
    const LONG w = box.right - box.left;
    const LONG h = box.bottom - box.top;
    LONG x = centre.left + (centre.right - centre.left) / 2 - w / 2;
    LONG y = centre.top + (centre.bottom - centre.top) / 2 - h / 2;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    if (x + w > desktop.right) x = desktop.right - w;
    if (y + h > desktop.bottom) y = desktop.bottom - h;
    return POINT{x, y};
}

void CentreWindowOver(HWND box, HWND centre) {
    if (!IsWindow(centre)) return;
    if (IsIconic(centre)) ShowWindow(centre, SW_SHOWNORMAL);
    RECT centreRect, desktopRect, boxRect;
    GetWindowRect(centre, &centreRect);
    GetWindowRect(GetDesktopWindow(), &desktopRect);
    GetWindowRect(box, &boxRect);
    POINT at = CentredBoxPosition(centreRect, desktopRect, boxRect);
    MoveWindow(box, at.x, at.y, boxRect.right - boxRect.left, boxRect.bottom - boxRect.top, TRUE);
}

int ShowMessage(const wchar_t* textOrId, UINT style, HWND centreWindow, HWND owner) {
    const std::wstring caption = LoadResourceText(kTextAppTitle);
    if (!centreWindow) centreWindow = MainWindowForMessages();
    if (!owner) owner = MainWindowForMessages();

    centringWindow = centreWindow;
    centringHook = SetWindowsHookExW(WH_CBT, CentringHookProc, appInstance, GetCurrentThreadId());

    std::wstring text = IS_INTRESOURCE(textOrId) ? LoadResourceText(LOWORD(reinterpret_cast<ULONG_PTR>(textOrId)))
                                                 : std::wstring(textOrId);
    int button = MessageBoxW(owner, text.c_str(), caption.c_str(), style);
    // A box that never became active (it failed to open) leaves the hook behind.
    if (centringHook) {
        UnhookWindowsHookEx(centringHook);
        centringHook = nullptr;
    }
    return button;
}

int ShowSystemError(const wchar_t* firstLine, HWND owner) {
    std::wstring found = SystemErrorText(LastSystemError());
    std::wstring text;
    if (firstLine) text = std::wstring(firstLine) + L"\n";
    text += found.empty() ? std::wstring(TextById(kTextErrorNotFound)) : found;
    return ShowMessage(text.c_str(), MB_ICONEXCLAMATION | MB_OK, owner, owner);
}

int ShowResultMessage(int code, HWND owner) {
    if (code == 0) return 0;
    if (code == -1) return ShowSystemError(nullptr, owner);
    return ShowMessage(ResultText(code).c_str(), MB_ICONEXCLAMATION | MB_OK, owner, owner);
}
