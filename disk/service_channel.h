// The disk service channel: one named shared block and two named auto-reset events through which
// the program hands raw drive calls to the disk service, and a named mutex that gives one client at
// a time, of all processes, its turn. This header is the one description of the block that both
// sides use: field offsets, sizes, command codes and the names of the objects.
#pragma once

#include <cstdint>
#include <string>

// The whole shared block [bytes].
constexpr uint32_t kServiceBlockSize = 0x200200;  // 2,097,664
// The data area of read, write and device control [bytes]: 3000 sectors.
constexpr uint32_t kServiceDataSize = 0x177000;  // 1,536,000

// Common header. Every field is a little-endian 32-bit value.
constexpr uint32_t kSvcCommand = 0x000;  // command code, written by the client
// The client's process id, in every request; the service closes what a client left open once its
// process has ended. 0 from a client that does not send it: its handles stay open until the
// service stops.
constexpr uint32_t kSvcClientProcess = 0x004;
constexpr uint32_t kSvcResult = 0x008;     // the Win32 call's return value (BOOL, handle or DWORD)
constexpr uint32_t kSvcLastError = 0x00C;  // the service thread's last error right after the call
constexpr uint32_t kSvcHandle = 0x010;     // the handle or window the call works on

// Create file (7).
constexpr uint32_t kSvcCreatePath = 0x010;         // UTF-16 path with its terminator [520 bytes]
constexpr uint32_t kSvcCreatePathChars = 260;      // room for 259 characters and the terminator
constexpr uint32_t kSvcCreateAccess = 0x218;       // desired access
constexpr uint32_t kSvcCreateShare = 0x21C;        // share mode
constexpr uint32_t kSvcCreateSecurity = 0x220;     // length, descriptor, inherit flag [12 bytes]; never used
constexpr uint32_t kSvcCreateDisposition = 0x22C;  // creation disposition
constexpr uint32_t kSvcCreateFlags = 0x230;        // flags and attributes
constexpr uint32_t kSvcCreateTemplate = 0x234;     // template handle; never used

// Write file (9) and read file (10).
constexpr uint32_t kSvcIoData = 0x014;           // data area [kServiceDataSize bytes]
constexpr uint32_t kSvcIoCount = 0x177014;       // bytes to write or read
constexpr uint32_t kSvcIoDone = 0x177018;        // bytes written or read (service)
constexpr uint32_t kSvcIoOverlapped = 0x17701C;  // the caller's overlapped record or zeros [20 bytes]; never used

// Device control (11).
constexpr uint32_t kSvcIoctlCode = 0x014;           // control code
constexpr uint32_t kSvcIoctlData = 0x018;           // input on the way in, output on the way back
constexpr uint32_t kSvcIoctlInSize = 0x177018;      // input size [bytes]
constexpr uint32_t kSvcIoctlOutSize = 0x17701C;     // output size [bytes]
constexpr uint32_t kSvcIoctlReturned = 0x177020;    // bytes returned (service)
constexpr uint32_t kSvcIoctlOverlapped = 0x177024;  // the caller's overlapped record or zeros [20 bytes]; never used

// Set file pointer (12).
constexpr uint32_t kSvcSeekLow = 0x014;     // distance, low part (signed)
constexpr uint32_t kSvcSeekHigh = 0x018;    // distance, high part; 0 = none. Receives the new high part.
constexpr uint32_t kSvcSeekMethod = 0x01C;  // move method

// Register device notification (13).
constexpr uint32_t kSvcNotifyWindow = 0x010;  // recipient window
constexpr uint32_t kSvcNotifyFilter = 0x014;  // notification filter record [32 bytes]
constexpr uint32_t kSvcNotifyFilterSize = 32;
constexpr uint32_t kSvcNotifyFlags = 0x034;

// Size of the overlapped record as the block carries it: five 32-bit fields.
constexpr uint32_t kSvcOverlappedSize = 20;

static_assert(kSvcCreatePath + kSvcCreatePathChars * 2 <= kSvcCreateAccess, "path overlaps create fields");
static_assert(kSvcIoData + kServiceDataSize == kSvcIoCount, "read/write data area");
static_assert(kSvcIoctlData + kServiceDataSize == kSvcIoctlInSize, "device control data area");
static_assert(kSvcIoctlOverlapped + kSvcOverlappedSize <= kServiceBlockSize, "block too small");

// Command codes.
enum ServiceCommand : uint32_t {
    SVCFDD_CREATEFILE = 7,        // CreateFileW
    SVCFDD_CLOSEHANDLE = 8,       // CloseHandle
    SVCFDD_WRITEFILE = 9,         // WriteFile
    SVCFDD_READFILE = 10,         // ReadFile
    SVCFDD_DEVICEIOCONTROL = 11,  // DeviceIoControl
    SVCFDD_SETFILEPOINTER = 12,   // SetFilePointer
    SVCFDD_REGDEVNOTIFY = 13,     // RegisterDeviceNotificationW
    SVCFDD_UNREGDEVNOTIFY = 14,   // UnregisterDeviceNotification
    SVCFDD_DISCONNECT = 15,       // no call; the service only answers
    SVCFDD_CONNECT = 16,          // no call; the service only answers
};

// The names of the channel's objects and of the service whose state tells whether anyone answers.
struct ServiceChannelNames {
    std::wstring mapping;
    std::wstring request;
    std::wstring response;
    std::wstring service;
    std::wstring exchange;  // the mutex a client holds from filling the block to reading the answer
};

// The names the program and the installed service use.
inline ServiceChannelNames DiskServiceNames() {
    return {L"Global\\ZRVKVNMappingObject", L"Global\\ZRVKVNRequestObject", L"Global\\ZRVKVNResponseObject",
            L"ZRVKVN service", L"Global\\ZRVKVNExchangeObject"};
}

// Block fields are read and written through these, never by casting a struct over the block.
inline uint32_t LoadBlock32(const uint8_t* block, uint32_t offset) {
    const uint8_t* p = block + offset;
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

inline void StoreBlock32(uint8_t* block, uint32_t offset, uint32_t value) {
    uint8_t* p = block + offset;
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
    p[2] = static_cast<uint8_t>(value >> 16);
    p[3] = static_cast<uint8_t>(value >> 24);
}
