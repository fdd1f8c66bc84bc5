// The About box: the program's name and version, the maker's notice, and two buttons that open
// the maker's web sites in the system's browser.
#include "ui/about_dialog.h"

#include <string>

#include "app/app_module.h"
#include "app/message_box.h"
#include "app/texts.h"
#include "ui/explorer.h"
#include "ui/resource.h"

namespace {
constexpr int kTextVersion = 0x10030;
constexpr int kTextFirstAddress = 0x10031;
constexpr int kTextSecondAddress = 0x10034;
constexpr int kTextVisit = 0x10035;

int AddressOf(int button) {
    return button == IDC_ABOUT_VISIT_FIRST ? kTextFirstAddress : kTextSecondAddress;
}

// Explorer hands an address with its scheme to the user's browser; a bare one it would take
// for a file name.
void Visit(int button) {
    StartCommandLine(std::wstring(L"explorer.exe http://") + TextById(AddressOf(button)));
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            SetDlgItemTextW(dialog, IDC_ABOUT_NAME,
                            (std::wstring(TextById(kTextAppTitle)) + TextById(kTextVersion)).c_str());
            for (int button : {IDC_ABOUT_VISIT_FIRST, IDC_ABOUT_VISIT_SECOND})
                SetDlgItemTextW(dialog, button, FormatTextId(kTextVisit, {TextById(AddressOf(button))}).c_str());
            CentreWindowOver(dialog, GetWindow(dialog, GW_OWNER));
            // Enter closes the box rather than opening a web site.
            SetFocus(GetDlgItem(dialog, IDOK));
            return FALSE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_ABOUT_VISIT_FIRST:
                case IDC_ABOUT_VISIT_SECOND: Visit(LOWORD(wParam)); return TRUE;
                case IDOK:
                case IDCANCEL: EndDialog(dialog, LOWORD(wParam)); return TRUE;
                default: return FALSE;
            }
        default: return FALSE;
    }
}
}  // namespace

void RunAboutDialog(HWND owner) {
    DialogBoxParamW(appInstance, MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutProc, 0);
}
