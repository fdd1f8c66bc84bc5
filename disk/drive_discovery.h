// USB drive discovery: which drive letters are USB sticks that can hold floppy disk blocks,
// keeping the drive list up to date when drives come and go, and restarting a disk after a
// whole-drive format so that the system sees its new contents. Probing and restarting are
// Windows operations; the decisions around them are portable.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "disk/drive_record.h"
#include "disk/drive_scan.h"

// Results of ProbeDrive and ProbeIntoRecord.
enum ProbeStatus : int {
    PROBE_QUALIFIES = 0,   // a USB stick that can hold blocks; the record is filled
    PROBE_NOT_LISTED = 1,  // not a USB disk, physical drive 0, sectors not 512 bytes, or too small
    PROBE_WIN_ERROR = -1,  // a system call failed; its error is stored as the last system error
};

// Volume arrival and removal as WM_DEVICECHANGE reports them.
constexpr uint32_t kDeviceArrival = 0x8000;         // DBT_DEVICEARRIVAL
constexpr uint32_t kDeviceRemoveComplete = 0x8004;  // DBT_DEVICEREMOVECOMPLETE
constexpr uint32_t kDeviceTypeInterface = 5;        // DBT_DEVTYP_DEVICEINTERFACE
// Sent to the format dialog after a rescan so that it rebuilds its own drive list.
constexpr uint32_t kRefreshDriveListMessage = 0x0464;  // WM_USER + 100

// True when a device change is to be acted on: a device interface arrived or was removed, and
// device changes are not being ignored (as whole-drive formatting does while it waits).
bool IsDriveChangeEvent(uint32_t event, uint32_t deviceType, int32_t ignoreDeviceChanges);

// After a rescan: when the current drive is no longer listed exactly as it was (removed, or its
// identity changed), it is dropped (deviceNumber -1) and true is returned, for the window to
// empty its block list.
bool ForgetVanishedCurrentDrive(DriveList& list);

// The drive part of the main window's title: the current drive's name, or "#" when none.
std::wstring CurrentDriveTitle(const DriveList& list);

// "不支持大扇区(%dB)U盘%s" for a stick refused for its sector size.
std::wstring LargeSectorText(const LargeSectorDrive& drive);

#ifdef _WIN32
// Fills the record for one drive name (E:) from the drive itself, over the raw calls: the
// storage descriptor (USB bus, vendor and product), the device number (a disk, not drive 0) and
// READ CAPACITY (512-byte sectors, more than one slot). Returns a ProbeStatus. A stick refused
// for sectors larger than 512 bytes is also described in *largeSector when it is given (the
// window shows LargeSectorText for it); otherwise *largeSector is left as it was.
int ProbeDrive(const std::wstring& driveName, DriveRecord* record, LargeSectorDrive* largeSector = nullptr);

// Probes into a scratch record; the record is marked empty first and receives all four fields
// only when the drive qualifies. Returns the probe's status.
int ProbeIntoRecord(const std::wstring& driveName, DriveRecord* record, LargeSectorDrive* largeSector = nullptr);

// Probes every removable drive letter but A: and B:, in the system's order, and adds the sticks
// that qualify to the list's empty slots by the listing rule (a disk seen under two letters is
// listed once, under the first; with every slot in use a drive is dropped). Sticks refused for
// their sector size are appended to largeSectorDrives when it is given. Never fails.
void AddUsbDrives(DriveList& list, std::vector<LargeSectorDrive>* largeSectorDrives = nullptr);

// The handle of the device-interface notification registration; null when not registered.
extern void* deviceNotifyHandle;

// Registers the window for volume arrival and removal notifications (always directly, also on
// the service route). False, with the last system error stored, when the system refuses.
bool RegisterDiskNotifications(void* window);

// Releases the registration, if any.
void UnregisterDiskNotifications();

// What the window provides to a device change it acts on.
struct DeviceChangeHooks {
    std::function<void()> refreshDriveTree;                        // rebuilds the tree from the list
    std::function<void(const LargeSectorDrive&)> showLargeSector;  // tells of a refused stick
    void* formatDialog = nullptr;                                  // the open format dialog, if any
};

// The window's WM_DEVICECHANGE handler: for a qualifying event (IsDriveChangeEvent) the drives
// are scanned again, the tree is refreshed and the format dialog, when open, is sent
// kRefreshDriveListMessage. header is the message's DEV_BROADCAST_HDR. True when it acted.
bool OnDeviceChange(DriveList& list, uint32_t event, const void* header, const DeviceChangeHooks& hooks);

// Stops and starts the volume device behind a drive name (E:) through the device installer,
// so that the system reads the drive afresh. 0 on success; -1 with the last system error
// stored when the device is not found or a call fails, the failing call's error, or
// ERROR_SUCCESS_REBOOT_REQUIRED when the restart needs a reboot.
int RestartDiskDevice(const std::wstring& driveName);
#endif
