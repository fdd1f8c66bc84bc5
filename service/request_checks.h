// What the disk service agrees to do for a client. It runs with administrator rights and its shared
// block is open to every local user, so it opens only USB flash drives and their volumes, never the
// disk Windows or the service runs from, and sends only the control codes the program itself sends.
#pragma once

#include <cstddef>
#include <cstdint>

#include "disk/raw_calls.h"

// "\\.\PHYSICALDRIVE" and a number of one to three digits, or "\\.\" with a drive letter and a colon;
// letters in either case. `length` is the number of characters before the terminator.
bool IsAllowedDevicePath(const wchar_t* path, size_t length);

// Whether the service opens the drive or volume at path (an allowed device path) for a client: 0
// when it is a USB flash drive as discovery finds one (the storage descriptor says USB bus and
// removable media) on a disk that holds neither the Windows folder nor the service's executable.
// ERROR_ACCESS_DENIED when it is not, or when those disks cannot be learnt; the error of the open
// when the path cannot be opened for questions. Asked through `calls` on every open, so that a
// stick swapped for another disk is seen.
uint32_t CheckServedDrive(const RawCallTable& calls, const wchar_t* path);

// Volume lock and dismount, storage property query, device number and SCSI pass-through.
bool IsAllowedControlCode(uint32_t code);

constexpr uint32_t kFsctlLockVolume = 0x00090018;
constexpr uint32_t kFsctlDismountVolume = 0x00090020;
constexpr uint32_t kIoctlStorageQueryProperty = 0x002D1400;
constexpr uint32_t kIoctlStorageGetDeviceNumber = 0x002D1080;
constexpr uint32_t kIoctlScsiPassThrough = 0x0004D004;

// SCSI READ CAPACITY (10): the only command the program passes through.
constexpr uint8_t kScsiReadCapacity10 = 0x25;
