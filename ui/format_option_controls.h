// The controls both format dialogs share: three format radio buttons, the Make box with its
// two DOS radio buttons, and the Quick box. Setting them from the remembered choices, reading
// them back, and the Make box enabling the DOS buttons.
#pragma once

#include <windows.h>

#include "ui/format_options.h"

// The control ids of one dialog.
struct FormatOptionIds {
    int format144M, format12M, format720K;
    int makeBootable, dos622, dos71;
    int quick;
};

// Checks the buttons by the choices: format 3 checks 720K, 2 1.2M, any other 1.44M; DOS version
// 1 checks DOS 6.22, any other DOS 7.1; the DOS buttons are enabled only when bootable is 1.
void ShowFormatChoices(HWND dialog, const FormatOptionIds& ids, const FormatChoices& choices);
// Reads the buttons back: 720K 3, 1.2M 2, else 1; DOS 7.1 2, else 1; the boxes ticked or not.
void ReadFormatChoices(HWND dialog, const FormatOptionIds& ids, FormatChoices* choices);
// The Make box was ticked or cleared: the DOS buttons follow it.
void EnableDosButtons(HWND dialog, const FormatOptionIds& ids);
// Enables or disables every one of these controls; enabling leaves the DOS buttons to the Make box.
void EnableFormatChoices(HWND dialog, const FormatOptionIds& ids, bool on);
