// Dialog layouts shown without their behaviour.
#include "ui/dialog_layouts.h"

#include "app/app_module.h"
#include "ui/resource.h"

namespace {
INT_PTR CALLBACK LayoutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return TRUE;
    }
    if (message == WM_COMMAND) {
        const int id = LOWORD(wParam);
        const bool about = GetWindowLongPtrW(dialog, DWLP_USER) == IDD_ABOUT;
        if (id == IDCANCEL || (about && id == IDOK)) EndDialog(dialog, id);
        return TRUE;
    }
    return FALSE;
}
}  // namespace

void ShowDialogLayout(HWND owner, int dialogId) {
    DialogBoxParamW(appInstance, MAKEINTRESOURCEW(dialogId), owner, LayoutProc, dialogId);
}
