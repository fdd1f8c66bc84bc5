// The dialog that formats the selected floppy disk blocks.
#include "ui/format_block_dialog.h"

#include "app/app_module.h"
#include "app/message_box.h"
#include "ui/format_option_controls.h"
#include "ui/job_threads.h"
#include "ui/program_core.h"
#include "ui/resource.h"

namespace {
const FormatOptionIds kIds = {IDC_BLOCK_FORMAT_144M,   IDC_BLOCK_FORMAT_12M, IDC_BLOCK_FORMAT_720K,
                              IDC_BLOCK_MAKE_BOOTABLE, IDC_BLOCK_DOS622,     IDC_BLOCK_DOS71,
                              IDC_BLOCK_QUICK};
}  // namespace

void FormatBlockDialog::Run(HWND owner) {
    DialogBoxParamW(appInstance, MAKEINTRESOURCEW(IDD_FORMAT_BLOCK), owner, DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK FormatBlockDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* self = reinterpret_cast<FormatBlockDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return self ? self->Handle(dialog, message, wParam) : FALSE;
}

INT_PTR FormatBlockDialog::Handle(HWND dialog, UINT message, WPARAM wParam) {
    if (message == WM_INITDIALOG) {
        ShowFormatChoices(dialog, kIds, choices_);
        CentreWindowOver(dialog, GetWindow(dialog, GW_OWNER));
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
        case IDOK:
        case IDC_BLOCK_START:
            ReadFormatChoices(dialog, kIds, &choices_);
            // A job that is starting or running reads the parameters; this request would be
            // dropped anyway, so it is dropped before it can change them.
            if (!JobWorkersPending()) {
                choices_.FillParameters(&Program().runner.parameters);
                StartJob(JOB_FORMAT);
            }
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            ReadFormatChoices(dialog, kIds, &choices_);
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        case IDC_BLOCK_MAKE_BOOTABLE: EnableDosButtons(dialog, kIds); return TRUE;
        default: return FALSE;
    }
}
