// The settings dialog.
#include "ui/settings_dialog.h"

#include "ui/dialog_layouts.h"
#include "ui/resource.h"

void RunSettingsDialog(HWND owner) {
    ShowDialogLayout(owner, IDD_SETTINGS);
}
