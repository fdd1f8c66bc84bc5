// The About box.
#include "ui/about_dialog.h"

#include "ui/dialog_layouts.h"
#include "ui/resource.h"

void RunAboutDialog(HWND owner) {
    ShowDialogLayout(owner, IDD_ABOUT);
}
