// The whole-drive format's window side.
#include "ui/format_drive_host.h"

#include <commctrl.h>

#include "app/message_box.h"
#include "disk/attached_images.h"
#include "disk/drive_discovery.h"
#include "disk/drive_list.h"
#include "disk/drive_scan.h"
#include "disk/record_drive.h"
#include "ui/program_core.h"
#include "ui/resource.h"

void DialogFormatHost::Prepare(HWND dialog,
                               const DriveRecord& drive,
                               std::function<void(const DriveRecord&)> reselect) {
    dialog_ = dialog;
    drive_ = drive;
    reselect_ = std::move(reselect);
}

bool DialogFormatHost::OpenDrive() {
    std::unique_ptr<RawDrive> raw = OpenRecordDrive(drive_, true);
    if (!raw) return false;
    Program().sectors.AttachDrive(std::move(raw));
    return true;
}

void DialogFormatHost::CloseDrive() {
    Program().sectors.CloseDrive();
}

void DialogFormatHost::BeginProgress(uint32_t total) {
    HWND bar = GetDlgItem(dialog_, IDC_DRIVE_PROGRESS);
    ShowWindow(GetDlgItem(dialog_, IDC_DRIVE_START), SW_HIDE);
    ShowWindow(bar, SW_SHOW);
    SendMessageW(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(total));
    SendMessageW(bar, PBM_SETPOS, 0, 0);
}

void DialogFormatHost::ShowProgress(uint32_t done, uint32_t total) {
    // Once a cancel is asked for, the title keeps saying so until the format stops.
    const bool cancelling = Program().blocks.cancelRequested.load() != 0;
    const std::wstring title =
        cancelling ? FormatCancellingTitle(drive_.driveName) : FormatProgressTitle(drive_.driveName, done, total);
    SetWindowTextW(dialog_, title.c_str());
    SendMessageW(GetDlgItem(dialog_, IDC_DRIVE_PROGRESS), PBM_SETPOS, done, 0);
}

void DialogFormatHost::EndProgress() {
    ShowWindow(GetDlgItem(dialog_, IDC_DRIVE_PROGRESS), SW_HIDE);
    ShowWindow(GetDlgItem(dialog_, IDC_DRIVE_START), SW_SHOW);
}

void DialogFormatHost::SetIgnoreDeviceChanges(bool on) {
    Program().drives.ignoreDeviceChanges = on ? 1 : 0;
}

void DialogFormatHost::RestartDevice() {
    // An image file is read afresh by whoever opens it next; only a real stick is restarted.
    if (!IsImageRecord(drive_)) RestartDiskDevice(drive_.driveName);
}

bool DialogFormatHost::FindDriveAgain() {
    DriveList& drives = Program().drives;
    ScanDrives(drives);
    return FindDrive(drives, drive_) >= 0;
}

void DialogFormatHost::ReselectDrive() {
    if (reselect_) reselect_(drive_);
}

void DialogFormatHost::Inform(const std::wstring& text) {
    ShowMessage(text, MB_ICONINFORMATION | MB_OK, dialog_);
}
