// Working with the list of qualifying drives: emptying it, adding a drive by the listing
// rule, finding a drive again, and the one-line description the format dialog and the
// command-line tool show for a drive.
#pragma once

#include <string>

#include "disk/drive_record.h"

// Marks every slot empty (deviceNumber -1); the other fields are left as they were.
void ClearDriveList(DriveList& list);

// Number of slots in use: the first empty slot ends the list.
int CountListedDrives(const DriveList& list);

// Adds a qualifying drive: a drive whose deviceNumber is listed already is not added again
// (a disk seen under several names is listed once, under the first), the first empty slot
// receives it, and with all slots in use it is dropped. Returns the slot used or -1.
int AddDriveRecord(DriveList& list, const DriveRecord& record);

// Index of the first listed drive equal to record (device number, last sector and both
// names), or -1. Empty slots never match, so a record with no drive is never found.
int FindDrive(const DriveList& list, const DriveRecord& record);

// The capacity of a drive, lastSector * 512 bytes: "(%.2f G)" in units of 2^30 above 1 GiB,
// else "(%.2f MB)" in units of 2^20.
std::wstring DriveCapacityText(uint32_t lastSector);

// The drive list line, for example "E: (1.88 G) 1 USB FlashDisk USB Device".
std::wstring DriveListLine(const DriveRecord& record);
