// FormatBlockDialog (dialog 5003): the floppy format, DOS system and quick flag for formatting
// the blocks selected in the block list. Start hands them to job kind 5 and closes at once;
// the job asks nothing more. MainFrame owns one object, so that the choices stay.
#pragma once

#include <windows.h>

#include "settings/settings_store.h"
#include "ui/format_options.h"

class FormatBlockDialog {
public:
    void Load(const SettingsStore& store) { choices_ = LoadBlockFormatChoices(store); }
    void Save(const SettingsStore& store) const { SaveBlockFormatChoices(store, choices_); }
    const FormatChoices& choices() const { return choices_; }

    // Opens the dialog modally over owner; returns when it has closed (after starting the job,
    // when Start closed it).
    void Run(HWND owner);

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam);

    FormatChoices choices_;
};
