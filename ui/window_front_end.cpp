// The window's job front end.
#include "ui/window_front_end.h"

#include "app/message_box.h"
#include "app/result_text.h"
#include "ui/explorer.h"
#include "ui/job_threads.h"

namespace {
// Cancel, Try Again and Continue; question icon; the second button the default.
constexpr UINT kSaveRetryStyle = MB_CANCELTRYCONTINUE | MB_ICONQUESTION | MB_DEFBUTTON2;  // 0x126
// Yes and No, No the default.
constexpr UINT kYesNoStyle = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
}  // namespace

void WindowFrontEnd::SetStatusText(const std::wstring& text) {
    SendMessageW(views_.statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void WindowFrontEnd::SetJobActive(bool active) {
    jobActive_.store(active);
    // Attached until the thread ends, so that the boxes the job shows behave as the window's own.
    if (active) AttachInputToUserInterface();
}

void WindowFrontEnd::EnableDriveViews(bool enable) {
    EnableWindow(views_.list.hwnd, enable ? TRUE : FALSE);
    EnableWindow(views_.tree, enable ? TRUE : FALSE);
}

void WindowFrontEnd::FocusBlockList() {
    if (views_.mainWindow && GetForegroundWindow() == views_.mainWindow) SetFocus(views_.list.hwnd);
}

bool WindowFrontEnd::AskYesNo(const std::wstring& text) {
    return ShowMessage(text, kYesNoStyle, views_.mainWindow) == IDYES;
}

void WindowFrontEnd::Warn(const std::wstring& text) {
    ShowMessage(text, MB_ICONEXCLAMATION | MB_OK, views_.mainWindow);
}

void WindowFrontEnd::Inform(const std::wstring& text) {
    ShowMessage(text, MB_ICONINFORMATION | MB_OK, views_.mainWindow);
}

void WindowFrontEnd::ShowResultMessage(int code) {
    ::ShowResultMessage(code, nullptr);
}

void WindowFrontEnd::ShowSystemError(const std::wstring& firstLine) {
    ::ShowSystemError(firstLine.c_str(), nullptr);
}

void WindowFrontEnd::ShowBlockFailure(const BlockFailure& failure) {
    ShowMessage(BlockFailureText(failure), MB_ICONEXCLAMATION | MB_OK, nullptr);
}

int WindowFrontEnd::AskSaveRetry(const std::wstring& text) {
    return ShowMessage(text, kSaveRetryStyle, views_.mainWindow);
}

void WindowFrontEnd::StartExplorer(const std::wstring& directory) {
    ::StartExplorer(directory);
}
