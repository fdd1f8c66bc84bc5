// The format dialog's side of a whole-drive format, called on the format worker: the drive it
// opens, the progress it shows in the dialog by synchronous window calls, and the restart and
// re-finding of the drive afterwards.
#pragma once

#include <windows.h>

#include <functional>

#include "blocks/drive_format.h"
#include "disk/drive_record.h"

class DialogFormatHost : public DriveFormatHost {
public:
    // Before each run, on the user-interface thread: the dialog, its own copy of the drive to
    // format, and what makes the re-found record the dialog's chosen drive again.
    void Prepare(HWND dialog, const DriveRecord& drive, std::function<void(const DriveRecord&)> reselect);
    const DriveRecord& drive() const { return drive_; }

    bool OpenDrive() override;
    void CloseDrive() override;
    uint32_t LastSector() override { return drive_.lastSector; }
    void BeginProgress(uint32_t total) override;
    void ShowProgress(uint32_t done, uint32_t total) override;
    void EndProgress() override;
    void SetIgnoreDeviceChanges(bool on) override;
    void RestartDevice() override;
    bool FindDriveAgain() override;
    void ReselectDrive() override;
    void Inform(const std::wstring& text) override;

private:
    HWND dialog_ = nullptr;
    DriveRecord drive_;
    std::function<void(const DriveRecord&)> reselect_;
};
