// Whole-drive formatting: what it needs from the window or tool that runs it (the drive,
// progress, re-finding the drive afterwards), and the titles that show its progress.
#pragma once

#include <cstdint>
#include <string>

// Implemented by the format dialog, the command-line tool and tests. Called on the thread
// that runs BlockManager::FormatDrive. What shows progress or follows the device does nothing
// unless overridden: a drive image shows nothing and never goes away.
class DriveFormatHost {
public:
    virtual ~DriveFormatHost() = default;

    // Opens the drive chosen for formatting and hands it to the manager's sector access layer,
    // which selects drive mode. False, with the last system error stored, when it cannot.
    virtual bool OpenDrive() = 0;
    // Closes it again (flushing it).
    virtual void CloseDrive() = 0;
    // The drive's last sector number, as discovery reports it: how many slots it has room for.
    virtual uint32_t LastSector() = 0;

    // The start control gives way to a progress bar of range 0..total at 0.
    virtual void BeginProgress(uint32_t /*total*/) {}
    // After each block: the title FormatProgressTitle(drive, done, total) and the bar at done.
    virtual void ShowProgress(uint32_t /*done*/, uint32_t /*total*/) {}
    // The bar gives way to the start control again.
    virtual void EndProgress() {}

    // After a format, so that the system sees the drive's new contents: device changes are
    // ignored meanwhile, the device is restarted, and the drive is looked for again.
    virtual void SetIgnoreDeviceChanges(bool /*on*/) {}
    virtual void RestartDevice() {}  // failures are the host's own business
    // Rescans the drives and looks for the drive that was formatted (all of its record equal).
    virtual bool FindDriveAgain() { return true; }
    // Makes the re-found drive the chosen one again.
    virtual void ReselectDrive() {}

    // An information message ("Format complete").
    virtual void Inform(const std::wstring& /*text*/) {}
};

// "Format [E:]": the format dialog's title for a chosen drive.
std::wstring FormatDriveTitle(const std::wstring& driveName);
// "Format [E:] - 3/25": the title after each block.
std::wstring FormatProgressTitle(const std::wstring& driveName, uint32_t done, uint32_t total);
// "Format [E:] ...": the title once a cancel has been asked for.
std::wstring FormatCancellingTitle(const std::wstring& driveName);
