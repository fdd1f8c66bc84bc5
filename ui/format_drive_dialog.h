// FormatDriveDialog (dialog 5002): formats a whole USB flash drive into 1 to 100 floppy disk
// blocks. The format runs on the format worker while the dialog stays open and shows its
// progress; Cancel then asks the worker to stop after the block in progress. MainFrame owns one
// object, so that the choices stay from one opening to the next.
#pragma once

#include <windows.h>

#include "disk/drive_record.h"
#include "settings/settings_store.h"
#include "ui/format_drive_host.h"
#include "ui/format_options.h"

class FormatDriveDialog {
public:
    FormatDriveDialog() = default;
    FormatDriveDialog(const FormatDriveDialog&) = delete;
    FormatDriveDialog& operator=(const FormatDriveDialog&) = delete;

    void Load(const SettingsStore& store) { choices_ = LoadDriveFormatChoices(store); }
    void Save(const SettingsStore& store) const { SaveDriveFormatChoices(store, choices_); }
    const DriveFormatChoices& choices() const { return choices_; }

    // Opens the dialog modally over owner, with currentDrive as the drive it opens on, and
    // returns when it has closed.
    void Run(HWND owner, const DriveRecord& currentDrive);
    // Whether the last opening formatted the drive it opened on.
    bool formattedCurrent() const { return formattedCurrent_; }
    // The open dialog, for `drive list changed`; null while closed.
    HWND hwnd() const { return hwnd_; }

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam);

    void OnInit();
    void FillDriveList();
    void SelectDriveLine(const DriveRecord& record);
    void UpdateForSelectedDrive();
    void OnDriveChosen();
    void OnTimer();
    void OnDriveListChanged();
    void OnStart();
    void OnCancel();
    void EnableControls(bool on);
    bool Formatting() const;
    uint32_t ReadBlockCount() const;
    void ShowBlockCount(uint32_t count);
    void FillBlockCounts(uint32_t maximum);

    HWND hwnd_ = nullptr;
    DriveFormatChoices choices_;
    DriveRecord opening_;
    DriveRecord selected_;
    bool formattedCurrent_ = false;
    DialogFormatHost host_;
};
