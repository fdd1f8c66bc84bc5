// What the disk service agrees to do for a client. It runs with administrator rights and its shared
// block is open to every local user, so it opens only drives and volumes, and sends only the control
// codes the program itself sends.
#pragma once

#include <cstddef>
#include <cstdint>

// "\\.\PHYSICALDRIVE" and a number of one to three digits, or "\\.\" with a drive letter and a colon;
// letters in either case. `length` is the number of characters before the terminator.
bool IsAllowedDevicePath(const wchar_t* path, size_t length);

// Volume lock and dismount, storage property query, device number and SCSI pass-through.
bool IsAllowedControlCode(uint32_t code);

constexpr uint32_t kFsctlLockVolume = 0x00090018;
constexpr uint32_t kFsctlDismountVolume = 0x00090020;
constexpr uint32_t kIoctlStorageQueryProperty = 0x002D1400;
constexpr uint32_t kIoctlStorageGetDeviceNumber = 0x002D1080;
constexpr uint32_t kIoctlScsiPassThrough = 0x0004D004;

// SCSI READ CAPACITY (10): the only command the program passes through.
constexpr uint8_t kScsiReadCapacity10 = 0x25;
