// Opening the drive a drive record stands for, whatever it is: an attached image file, a
// Linux block device or a USB stick on Windows. Jobs and whole-drive formatting hand the
// result to SectorAccess::AttachDrive, which flushes and closes it in CloseDrive.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "disk/drive_record.h"
#include "disk/raw_drive.h"

// Opens the record's drive for reading, and for writing too when forWriting is set. Images are
// opened as plain files; Linux block devices exclusively, so that a mounted stick is refused;
// records without a file (USB sticks on Windows) through OpenUsbDrive, which takes them for
// reading and writing alike. Null on failure, with the last system error stored.
std::unique_ptr<RawDrive> OpenRecordDrive(const DriveRecord& record, bool forWriting);

// The raw route to a USB stick known only by its device number and drive letter (Windows).
// Null with the last system error stored when it cannot be opened or the platform has none.
std::unique_ptr<RawDrive> OpenUsbDrive(const DriveRecord& record);

// Makes the operating system see a drive's new contents after a whole-drive format: Linux
// re-reads the device's partition table. Nothing to do for images. Returns 0, or -1 with the
// last system error stored; callers may ignore the result.
int RereadPartitionTable(const DriveRecord& record);

// True when the system error says that someone else holds the drive or file (a mounted
// block device, an image open in another program).
bool IsDriveInUseError(uint32_t code);
// True when the system error refuses writing: a read-only file or file system, a
// write-protected stick, no right to write.
bool IsReadOnlyError(uint32_t code);

// What to tell the user when OpenRecordDrive failed with the system error code.
std::wstring DriveOpenErrorText(const DriveRecord& record, uint32_t code, bool forWriting);
