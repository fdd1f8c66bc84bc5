// USB sticks on Linux, found in sysfs by the rule the Windows discovery applies: removable,
// on the USB bus, 512-byte logical sectors, larger than one block slot, and never the disk
// that holds the root file system. The sysfs root and the system's devices are given, so
// that the rule runs on a fake tree as well as on /sys.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "disk/drive_record.h"
#include "disk/drive_scan.h"

struct SysfsScanOptions {
    std::string sysRoot = "/sys";  // holds block/<disk>/...
    std::string devRoot = "/dev";  // a disk X is opened as devRoot/X
    // "major:minor" of the devices the root file system lives on; a disk that is, or holds
    // a partition or a stacked device (LVM, RAID, crypt) of, any of them is never listed.
    std::vector<std::string> systemDevices;
};

// Results of ProbeSysfsDisk.
enum SysfsProbeStatus : int {
    SYSFS_QUALIFIES = 0,      // a USB stick that can hold blocks; the record is filled
    SYSFS_NOT_LISTED = 1,     // fails the rule
    SYSFS_LARGE_SECTORS = 2,  // a USB stick with sectors larger than 512 bytes
};

// Device number of a SCSI disk name: the kernel's disk index (sda 0, sdb 1, ..., sdz 25,
// sdaa 26), which is minor/16 for the first sixteen disks. -1 for any other name; USB mass
// storage is always a SCSI disk.
int32_t ScsiDiskIndex(const std::string& name);

// Applies the rule to the disk named name (an entry of sysRoot/block). On SYSFS_QUALIFIES
// the record holds deviceNumber (ScsiDiskIndex), lastSector (size - 1, in 512-byte units),
// driveName and imagePath (the device path) and deviceName (vendor and model, blanks
// removed inside each, joined by one blank; "(NULL)" for a missing one). On
// SYSFS_LARGE_SECTORS *sectorSize receives the logical sector size.
int ProbeSysfsDisk(const SysfsScanOptions& options,
                   const std::string& name,
                   DriveRecord* record,
                   uint32_t* sectorSize = nullptr);

// Adds every qualifying disk of sysRoot/block, in kernel order, to the list's empty slots by
// the listing rule (AddDriveRecord). Sticks refused for their sector size are appended to
// largeSectorDrives when it is given.
void ScanSysfsDrives(DriveList& list,
                     const SysfsScanOptions& options,
                     std::vector<LargeSectorDrive>* largeSectorDrives = nullptr);

// The options for this machine: /sys, /dev and the devices behind the root file system.
SysfsScanOptions HostSysfsOptions();
