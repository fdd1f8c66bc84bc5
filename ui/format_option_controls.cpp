// The shared controls of the format dialogs.
#include "ui/format_option_controls.h"

namespace {
bool Ticked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void Tick(HWND dialog, int id, bool on) {
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}
}  // namespace

void ShowFormatChoices(HWND dialog, const FormatOptionIds& ids, const FormatChoices& choices) {
    const uint32_t format = choices.floppyFormat == 3 || choices.floppyFormat == 2 ? choices.floppyFormat : 1;
    Tick(dialog, ids.format144M, format == 1);
    Tick(dialog, ids.format12M, format == 2);
    Tick(dialog, ids.format720K, format == 3);
    Tick(dialog, ids.dos622, choices.dosVersion == 1);
    Tick(dialog, ids.dos71, choices.dosVersion != 1);
    Tick(dialog, ids.makeBootable, choices.bootable == 1);
    Tick(dialog, ids.quick, choices.quick == 1);
    EnableDosButtons(dialog, ids);
}

void ReadFormatChoices(HWND dialog, const FormatOptionIds& ids, FormatChoices* choices) {
    choices->floppyFormat = Ticked(dialog, ids.format720K) ? 3 : Ticked(dialog, ids.format12M) ? 2 : 1;
    choices->bootable = Ticked(dialog, ids.makeBootable) ? 1 : 0;
    choices->dosVersion = Ticked(dialog, ids.dos71) ? 2 : 1;
    choices->quick = Ticked(dialog, ids.quick) ? 1 : 0;
}

void EnableDosButtons(HWND dialog, const FormatOptionIds& ids) {
    const BOOL on = Ticked(dialog, ids.makeBootable) ? TRUE : FALSE;
    EnableWindow(GetDlgItem(dialog, ids.dos622), on);
    EnableWindow(GetDlgItem(dialog, ids.dos71), on);
}

void EnableFormatChoices(HWND dialog, const FormatOptionIds& ids, bool on) {
    for (int id : {ids.format144M, ids.format12M, ids.format720K, ids.makeBootable, ids.quick})
        EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE);
    if (on) {
        EnableDosButtons(dialog, ids);
    } else {
        EnableWindow(GetDlgItem(dialog, ids.dos622), FALSE);
        EnableWindow(GetDlgItem(dialog, ids.dos71), FALSE);
    }
}
