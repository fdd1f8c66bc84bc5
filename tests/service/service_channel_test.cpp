// The disk service channel with the service's request worker on a thread of the test program:
// every request the service refuses, written into the shared block as any local program could
// write it, is answered with its error and the next request is served.
#include <windows.h>

#include <winioctl.h>

#include <ntddscsi.h>  // after winioctl.h, whose codes it uses

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "disk/raw_calls.h"
#include "disk/service_client.h"
#include "service_harness.h"

namespace {

using Fields = InProcessService::Fields;

// Field values the table stands for: the volume's handle from the service, a handle of the
// service's process it never gave out, and one it gave out and closed.
constexpr uint32_t kOurs = 0xA0000001, kForeign = 0xA0000002, kClosed = 0xA0000003;

struct Request {
    uint32_t command;
    Fields fields;
    std::string answer;       // result and last error, or "unanswered" when the service left both alone
    std::wstring path = L"";  // for create file; none: the path field is left unterminated
};

}  // namespace

TEST(ServiceChannel, EveryRefusalIsAnsweredWithItsErrorAndTheServiceKeepsServing) {
    const ScratchVolume& volume = SharedVolume();
    if (volume.devicePath.empty()) GTEST_SKIP() << "no scratch volume: it needs Wine and a free drive letter";
    InProcessService service;
    DiskRoute route(1);
    ASSERT_TRUE(ConnectDiskService(GetCurrentProcess()));
    int accepted = 0;  // no small handle value it did not give out, the channel's own among them
    for (uintptr_t value = 4; value <= 0x400; value += 4)
        accepted += RawCloseHandle(reinterpret_cast<HANDLE>(value)) || GetLastError() != ERROR_INVALID_HANDLE;
    EXPECT_EQ(accepted, 0);
    auto open = [&] { return RawCreateFile(volume.devicePath.c_str(), 0xC0000000, 7, nullptr, 3, 0x80, nullptr); };
    HANDLE ours = open(), closed = open();
    RawCloseHandle(closed);
    HANDLE foreign = CreateFileW(volume.devicePath.c_str(), GENERIC_READ, 7, nullptr, OPEN_EXISTING, 0, nullptr);
    auto serving = [&] {  // sector 0 read through the service shows the volume's marker
        char sector[512] = {};
        DWORD n = 0;
        return RawSetFilePointer(ours, 0, nullptr, FILE_BEGIN) == 0 && RawReadFile(ours, sector, 512, &n, nullptr) &&
               volume.marker.compare(0, std::string::npos, sector, volume.marker.size()) == 0;
    };

    const uint32_t above = kServiceDataSize + 1, kIoctl = SVCFDD_DEVICEIOCONTROL;
    const Fields read = {{kSvcCreateAccess, GENERIC_READ}, {kSvcCreateDisposition, OPEN_EXISTING}};
    std::vector<Request> requests = {
        {SVCFDD_CREATEFILE, read, "-1 error 5"},  // an unterminated path
        {SVCFDD_CREATEFILE, {{kSvcCreateFlags, FILE_FLAG_OVERLAPPED}}, "-1 error 87", volume.devicePath},
        {SVCFDD_READFILE, {{kSvcHandle, kForeign}, {kSvcIoCount, 512}}, "0 error 6"},
        {SVCFDD_WRITEFILE, {{kSvcHandle, kForeign}, {kSvcIoCount, 512}}, "0 error 6"},
        {SVCFDD_SETFILEPOINTER, {{kSvcHandle, kForeign}}, "-1 error 6"},
        {kIoctl, {{kSvcHandle, kForeign}, {kSvcIoctlCode, 0x90018}}, "0 error 6"},
        {SVCFDD_CLOSEHANDLE, {{kSvcHandle, kForeign}}, "0 error 6"},
        {SVCFDD_READFILE, {{kSvcHandle, kClosed}, {kSvcIoCount, 512}}, "0 error 6"},
        {SVCFDD_CLOSEHANDLE, {{kSvcHandle, kClosed}}, "0 error 6"},
        {SVCFDD_READFILE, {{kSvcHandle, kOurs}, {kSvcIoCount, above}}, "0 error 8"},
        {SVCFDD_WRITEFILE, {{kSvcHandle, kOurs}, {kSvcIoCount, above}}, "0 error 8"},
        {kIoctl, {{kSvcHandle, kOurs}, {kSvcIoctlCode, 0x2D1400}, {kSvcIoctlInSize, above}}, "0 error 8"},
        {kIoctl, {{kSvcHandle, kOurs}, {kSvcIoctlCode, 0x2D1400}, {kSvcIoctlOutSize, above}}, "0 error 8"},
        // A pass-through of WRITE (10), not READ CAPACITY (10).
        {kIoctl,
         {{kSvcHandle, kOurs},
          {kSvcIoctlCode, 0x4D004},
          {kSvcIoctlInSize, sizeof(SCSI_PASS_THROUGH)},
          {kSvcIoctlData + 4, 10 << 16 /* CdbLength */},
          {kSvcIoctlData + 8, SCSI_IOCTL_DATA_IN},
          {kSvcIoctlData + offsetof(SCSI_PASS_THROUGH, Cdb), 0x2A}},
         "0 error 5"},
        {SVCFDD_REGDEVNOTIFY, {{kSvcNotifyFilter, 64 /* bytes */}}, "0 error 87"},
        {SVCFDD_REGDEVNOTIFY, {{kSvcNotifyFilter, 32}, {kSvcNotifyFlags, 1 /* a service */}}, "0 error 87"},
        {SVCFDD_UNREGDEVNOTIFY, {{kSvcHandle, 0x1234}}, "0 error 6"},
        {SVCFDD_CREATEFILE, read, "-1 error 2", L"\\\\.\\physicaldrive9"},  // passes, but is not there
    };
    for (const char* path :  // only drives by number and volumes by letter are opened
         {R"(C:\windows\win.ini)", "E:", R"(\\.\PHYSICALDRIVE)", R"(\\.\PHYSICALDRIVE1234)", R"(\\.\PHYSICALDRIVE-1)",
          R"(\\.\PHYSICALDRIVE1 )", R"(\\.\PHYSICALDRIVE1\..\..\C:)", R"(\\.\C:\windows)", R"(\\.\E:x)", R"(\\.\EE:)",
          R"(\\.\1:)", R"(\\?\C:)", "//./E:", R"(\\.\pipe\slotwise)", R"(\\.\CDROM0)",
          R"(\\.\GLOBALROOT\Device\Harddisk0\Partition0)", R"(\\server\share)"})
        requests.push_back({SVCFDD_CREATEFILE, read, "-1 error 5", std::wstring(path, path + strlen(path))});
    for (uint32_t code : {0x9001Cu /* unlock */, 0x900C4u /* set sparse */, 0x7C054u /* set drive layout */,
                          0x4D014u /* pass-through direct */, 0x7C0F8u /* delete drive layout */, 0u})
        requests.push_back({kIoctl, {{kSvcHandle, kOurs}, {kSvcIoctlCode, code}}, "0 error 5"});
    for (uint32_t command : {0u, 1u, 6u, 15u, 16u, 17u, 99u, 0xFFFFFFFFu})  // only answered
        requests.push_back({command, {{kSvcHandle, kOurs}}, "unanswered"});

    for (const Request& r : requests) {
        Fields fields = r.fields;
        for (auto& field : fields) {
            const HANDLE stands = field.second == kOurs ? ours : field.second == kForeign ? foreign : closed;
            if (field.second >= kOurs && field.second <= kClosed) field.second = reinterpret_cast<uintptr_t>(stands);
        }
        const std::string request = "request " + std::to_string(&r - &requests[0]) + ", command " +
                                    std::to_string(r.command) + " " + std::string(r.path.begin(), r.path.end());
        EXPECT_EQ(service.Send(r.command, fields, r.path), r.answer) << request;
        EXPECT_TRUE(serving()) << "not serving after " << request;
    }
    CloseHandle(foreign);

    // Refused by the client before the service is asked: paths and transfers larger than the block.
    const int served = service.served();
    std::string big(above, '\0');
    DWORD n = 77;
    std::string said = Said(RawCreateFile((L"\\\\.\\" + std::wstring(256, L'A')).c_str(), 1, 7, nullptr, 3, 0,
                                          nullptr) == INVALID_HANDLE_VALUE);
    said += "; " + Said(RawReadFile(ours, &big[0], above, &(n = 77), nullptr), n);
    said += "; " + Said(RawWriteFile(ours, &big[0], above, &(n = 77), nullptr), n);
    said += "; " + Said(RawDeviceIoControl(ours, 0x2D1400, &big[0], above, &big[0], 64, &(n = 77), nullptr), n);
    said += "; " + Said(RawDeviceIoControl(ours, 0x2D1400, &big[0], 12, &big[0], above, &(n = 77), nullptr), n);
    EXPECT_EQ(
        said + "; asked " + std::to_string(service.served() - served),
        "1 error 206 count 0; 0 error 8 count 0; 0 error 8 count 0; 0 error 8 count 0; 0 error 8 count 0; asked 0");
}
