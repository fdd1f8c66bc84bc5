// USB sticks, card readers and disks played behind the raw calls and the drive-letter calls: each
// answers the storage property query, the device-number query and READ CAPACITY as its settings
// say, its volume locks and dismounts, and its physical drive reads and writes sectors held in
// memory. Every raw call is recorded by the FakeRawCalls underneath.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fake_discovery_calls.h"
#include "fake_raw_calls.h"

struct FakeStick {
    std::wstring driveName = L"E:";  // its letter; the root E:\ is listed in order of Add
    unsigned driveType = DRIVE_REMOVABLE;
    uint32_t busType = 7;             // BusTypeUsb
    std::string vendor = "USB     ";  // empty: no vendor offset (0)
    std::string product = "Flash Disk      ";
    uint32_t deviceType = 7;  // FILE_DEVICE_DISK
    uint32_t deviceNumber = 1;
    uint32_t lastAddress = 3940351;  // READ CAPACITY's last logical block address
    uint32_t blockLength = 512;
    DWORD openError = 0;       // "\\.\E:" fails to open with this error
    DWORD failingControl = 0;  // this control code fails on the volume
    DWORD lockError = 0;       // FSCTL_LOCK_VOLUME fails with this error
    DWORD dismountError = 0;   // FSCTL_DISMOUNT_VOLUME fails with this error
    DWORD driveOpenError = 0;  // "\\.\PHYSICALDRIVEn" fails to open with this error
};

class FakeUsbSticks {
public:
    FakeUsbSticks();

    // Lists the stick's root (E:\) and plays its volume and physical drive.
    void Add(const FakeStick& stick);
    // A root that is no stick (C:\ fixed, Z:\ remote); opening it fails with access denied.
    void AddRoot(const std::wstring& root, unsigned type);
    // Takes the stick off the roots, as when it is pulled out.
    void Remove(const std::wstring& driveName);

    // The sectors of physical drive n, zero where never written.
    std::string ReadDisk(uint32_t deviceNumber, uint64_t offset, uint32_t bytes) const;
    void WriteDisk(uint32_t deviceNumber, uint64_t offset, const std::string& bytes);

    // Handles opened and not yet closed.
    size_t OpenHandles() const { return handles_.size(); }

    std::vector<RawCallRecord> Calls() const { return raw.Calls(); }

    FakeRawCalls raw;
    FakeDiscoveryCalls discovery;

private:
    struct Open {
        bool volume = false;
        FakeStick stick;
        uint64_t position = 0;
    };
    RawAnswer Answer(const RawCallRecord& call);
    RawAnswer CreateFile(const RawCallRecord& call);
    RawAnswer Control(const Open& open, const RawCallRecord& call);

    std::vector<FakeStick> sticks_;
    std::map<HANDLE, Open> handles_;
    std::map<uint32_t, std::map<uint64_t, std::string>> disks_;  // device number -> sector -> 512 bytes
    uintptr_t nextHandle_ = 0x100;
};

// The calls of one kind, in order.
std::vector<RawCallRecord> CallsOf(const std::vector<RawCallRecord>& calls, RawCall kind);
// The CreateFile paths, in order.
std::vector<std::wstring> OpenedPaths(const std::vector<RawCallRecord>& calls);
