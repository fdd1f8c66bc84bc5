// The drives of a machine behind the raw calls and the drive-letter calls, while a FakeSticks
// exists: sticks answer discovery's three questions (and the disks of a volume) as their settings
// say, physical drives hold DriveByte at each offset, requests a real drive would refuse are
// refused, and every raw call is logged as one line, for tests to compare whole. The machine sits
// under the program's raw calls, or only under the disk service's request worker, which is then
// given Calls().
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "disk/raw_calls.h"

// The byte a fake physical drive holds at `offset`; writing anything else is logged.
inline char DriveByte(uint64_t offset) {
    return static_cast<char>(offset * 7 + offset / 509);
}

struct FakeStick {
    std::wstring driveName = L"E:";  // its root (E:\) is listed in the order of Add
    unsigned driveType = DRIVE_REMOVABLE;
    uint32_t busType = 7;             // BusTypeUsb; media count as removable when driveType does
    std::string vendor = "USB     ";  // empty: the descriptor gives no offset for it
    std::string product = "Flash Disk      ";
    uint32_t deviceType = 7;  // FILE_DEVICE_DISK
    uint32_t deviceNumber = 1;
    uint32_t lastAddress = 3940351;  // READ CAPACITY's last block address
    uint32_t blockLength = 512;
    // The call that fails, named as in the log ("volume" and "drive" for the two opens, "query",
    // "number", "capacity", "lock", "dismount", "seek", "read", "write"), and its error; "restart":
    // its volume device asks for a reboot to restart.
    std::string fails;
    DWORD error = ERROR_GEN_FAILURE;
};

class FakeSticks {
public:
    explicit FakeSticks(bool underServiceOnly = false);
    ~FakeSticks();
    static const RawCallTable& Calls();

    void Add(const FakeStick& stick);
    std::string Log(size_t from = 0) const;  // the lines from `from`, joined with "; "

    // "open \\.\E: rw 7 0x80 =h1", "lock h1", "seek h2 1024", "read h2 512" (then " unaligned" when
    // the buffer is not at kTransferAlignment, " other bytes" for a write of other bytes than the
    // drive holds), "close h1"; a call that fails ends in " =error N".
    std::vector<std::string> log;
    std::vector<FakeStick> sticks;
    std::vector<std::pair<std::wstring, unsigned>> roots;  // E:\ and its drive type
    struct Open {
        FakeStick stick;
        bool volume;
        uint64_t position;
    };
    std::map<HANDLE, Open> handles;  // open now
    int opens = 0;
};
