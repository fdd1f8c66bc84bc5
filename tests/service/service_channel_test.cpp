// The disk service channel with the service's request worker on a thread of the test program, on
// a fake machine of drives: every request the service refuses, written into the shared block as any
// local program could write it, is answered with its error and the next request is served; a whole
// slot goes through; two client programs at once, and one killed while it holds a stick.
#include <windows.h>

#include <winioctl.h>

#include <ntddscsi.h>  // after winioctl.h, whose codes it uses

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "../discovery/fake_sticks.h"
#include "disk/environment.h"
#include "disk/raw_calls.h"
#include "disk/record_drive.h"
#include "disk/sector_access.h"
#include "disk/service_client.h"
#include "disk/system_error.h"
#include "service/service_log.h"
#include "service_harness.h"
#include "support/temp_dir.h"

namespace {

using Fields = InProcessService::Fields;

// Field values the table stands for: the stick's handle from the service, a handle of the
// service's process it never gave out, and one it gave out and closed.
constexpr uint32_t kOurs = 0xA0000001, kForeign = 0xA0000002, kClosed = 0xA0000003;

struct Request {
    uint32_t command;
    Fields fields;
    std::string answer;       // result and last error, or "unanswered" when the service left both alone
    std::wstring path = L"";  // for create file; none: the path field is left unterminated
};

// Starts the client program on the service's channel, reading stick `disk` for `seconds`.
HANDLE StartClient(const InProcessService& service, int disk, int seconds, const std::string& result) {
    std::wstring line = L"\"" + WindowsPath(SLOTWISE_CLIENT_PROGRAM) + L"\" " + service.suffix() + L" " +
                        std::to_wstring(disk) + L" " + std::to_wstring(seconds) + L" \"" + WindowsPath(result) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

}  // namespace

TEST(ServiceChannel, EveryRefusalIsAnsweredWithItsErrorAndTheServiceKeepsServing) {
    FakeSticks sticks(true);
    AddServiceMachine(sticks);
    InProcessService service(FakeSticks::Calls());
    DiskRoute route(1);
    ASSERT_TRUE(ConnectDiskService(GetCurrentProcess()));
    int accepted = 0;  // no small handle value it did not give out, the channel's own among them
    for (uintptr_t value = 4; value <= 0x400; value += 4)
        accepted += RawCloseHandle(reinterpret_cast<HANDLE>(value)) || GetLastError() != ERROR_INVALID_HANDLE;
    EXPECT_EQ(accepted, 0);
    HANDLE ours = RawCreateFile(L"\\\\.\\PHYSICALDRIVE1", 0xC0000000, 0, nullptr, 3, 0x20000080, nullptr);
    HANDLE closed = RawCreateFile(L"\\\\.\\E:", 0xC0000000, 7, nullptr, 3, 0x80, nullptr);
    RawCloseHandle(closed);
    HANDLE foreign = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    auto serving = [&] {  // sector 0 of the stick, read through the service
        char sector[512] = {};
        DWORD n = 0;
        bool same = RawSetFilePointer(ours, 0, nullptr, FILE_BEGIN) == 0 && RawReadFile(ours, sector, 512, &n, nullptr);
        for (int i = 0; i < 512; ++i)
            same = same && sector[i] == DriveByte(i);
        return same;
    };

    const uint32_t above = kServiceDataSize + 1, kIoctl = SVCFDD_DEVICEIOCONTROL;
    const Fields read = {{kSvcCreateAccess, GENERIC_READ}, {kSvcCreateDisposition, OPEN_EXISTING}};
    std::vector<Request> requests = {
        {SVCFDD_CREATEFILE, read, "-1 error 5"},  // an unterminated path
        {SVCFDD_CREATEFILE, {{kSvcCreateFlags, FILE_FLAG_OVERLAPPED}}, "-1 error 87", L"\\\\.\\E:"},
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
    // Windows' disk and the service's, the SATA disk, the USB hard disk: by letter and by number.
    for (const char* path : {R"(\\.\C:)", R"(\\.\PHYSICALDRIVE2)", R"(\\.\Z:)", R"(\\.\PHYSICALDRIVE3)", R"(\\.\D:)",
                             R"(\\.\PHYSICALDRIVE0)", R"(\\.\F:)", R"(\\.\PHYSICALDRIVE4)"})
        requests.push_back({SVCFDD_CREATEFILE, read, "-1 error 5", std::wstring(path, path + strlen(path))});
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

TEST(ServiceChannel, AWholeSlotGoesThroughTheWorkerAlignedAndByteForByte) {
    FakeSticks sticks(true);
    AddServiceMachine(sticks);
    InProcessService service(FakeSticks::Calls());
    DiskRoute route(1);
    ASSERT_TRUE(ConnectDiskService(GetCurrentProcess()));
    const uint32_t savedVersion = environmentInfo.osMajorVersion;
    environmentInfo.osMajorVersion = 6;  // the volume is locked and dismounted too
    DriveRecord record;
    record.deviceNumber = 1;
    record.driveName = L"E:";
    SectorAccess sectors;
    sectors.AttachDrive(OpenRecordDrive(record));
    ASSERT_TRUE(sectors.HasDrive()) << "error " << LastSystemError() << ": " << sticks.Log();
    sectors.SetBlockIndex(1);
    std::string slot(kBlockImageSize, '\0'), back(kBlockImageSize, 'x');  // the stick's own bytes
    for (uint32_t i = 0; i < kBlockImageSize; ++i)
        slot[i] = DriveByte(kBlockImageSize + i);
    const size_t from = sticks.log.size();
    const int wrote = sectors.WriteSectors(0, kSlotSectors, slot.data());
    const int read = sectors.ReadSectors(0, kSlotSectors, &back[0]);
    sectors.CloseDrive();
    environmentInfo.osMajorVersion = savedVersion;
    // The fake notes a write of other bytes than the stick holds, and buffers that are not aligned.
    std::string log = sticks.Log(from);
    for (char& c : log)
        c = c == 'h' && (&c)[1] >= '0' && (&c)[1] <= '9' ? '#' : c;
    EXPECT_EQ(std::to_string(wrote) + " " + std::to_string(read) + ": " + log.substr(0, log.find("; close")),
              "0 0: seek #8 1572864; write #8 1536000; seek #8 3108864; write #8 36864; "
              "seek #8 1572864; read #8 1536000; seek #8 3108864; read #8 36864");
    const auto diff = std::mismatch(slot.begin(), slot.end(), back.begin());
    EXPECT_TRUE(diff.first == slot.end()) << "read back differs from byte " << diff.first - slot.begin();
}

TEST(ServiceChannel, AServiceThatRunsButDoesNotAnswerFailsTheCallWithATimeout) {
    InProcessService service;
    DiskRoute route(1);
    ASSERT_TRUE(ConnectDiskService(GetCurrentProcess()));
    service.StopAnswering();  // it still runs, as far as the client can tell
    UseServiceAnswerTimeout(1000);
    std::string said;
    MustFinishWithin(30000, "a call the service does not answer", [&] {
        said = Said(RawCloseHandle(nullptr));
        said += "; then " + Said(RawCloseHandle(nullptr));
    });
    UseServiceAnswerTimeout(0);
    EXPECT_EQ(said, "0 error 1460 count 0; then 0 error 1062 count 0");
}

TEST(ServiceChannel, TwoClientProgramsExchangeAtOnceForTenSecondsWithoutAHangOrACrossedAnswer) {
    FakeSticks sticks(true);
    AddServiceMachine(sticks);
    InProcessService service(FakeSticks::Calls());
    TempDir dir;
    HANDLE clients[2] = {StartClient(service, 1, 10, dir.File("1")), StartClient(service, 5, 10, dir.File("5"))};
    ASSERT_TRUE(clients[0] && clients[1]);
    const DWORD waited = WaitForMultipleObjects(2, clients, TRUE, 60000);
    for (HANDLE client : clients) {
        TerminateProcess(client, 1);  // one that hangs
        CloseHandle(client);
    }
    EXPECT_EQ(waited, WAIT_OBJECT_0) << "the clients did not end within a minute";
    for (const char* disk : {"1", "5"}) {
        const std::string result = ReadWholeFile(dir.File(disk));
        EXPECT_EQ(result.substr(std::min(result.find(','), result.size())), ", failed 0, wrong 0")
            << disk << ": " << result;
        EXPECT_GT(std::atoi(result.c_str() + 6), 100) << "too few reads on stick " << disk << ": " << result;
    }
}

TEST(ServiceChannel, TheSticksOfAKilledClientAreReleased) {
    FakeSticks sticks(true);
    AddServiceMachine(sticks);
    InProcessService service(FakeSticks::Calls());
    DiskRoute route(1);
    ASSERT_TRUE(ConnectDiskService(GetCurrentProcess()));
    TempDir dir;
    HANDLE client = StartClient(service, 1, 600, dir.File("result"));
    ASSERT_TRUE(client);
    for (int i = 0; i < 300 && ReadWholeFile(dir.File("result")) != "opened"; ++i)
        Sleep(100);
    auto open = [] {  // the stick, as the program opens it: 0, or the error
        HANDLE h = RawCreateFile(L"\\\\.\\PHYSICALDRIVE1", 0xC0000000, 0, nullptr, 3, 0x20000080, nullptr);
        const DWORD error = GetLastError();
        return h == INVALID_HANDLE_VALUE ? error : RawCloseHandle(h) ? 0 : GetLastError();
    };
    const std::string held = std::to_string(open());
    TerminateProcess(client, 1);  // as it reads: it may die holding its turn at the channel
    WaitForSingleObject(client, 10000);
    CloseHandle(client);
    EXPECT_EQ("held by the client: " + held + ", once it was killed: " + std::to_string(open()),
              "held by the client: 32, once it was killed: 0");
}

TEST(ServiceChannel, NamesAnotherAccountMadeFirstAreRefusedAndThoseOfTheServicesAccountTakenOn) {
    static std::string texts;
    UseDebugTextSink([](const char* text) { texts += std::string(text) + "; "; });
    const ServiceChannelNames names = TestChannelNames(L"made-first-" + std::to_wstring(GetCurrentProcessId()));
    // A mapping made first by another account: the Users group owns it.
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID users = nullptr;
    AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0, 0, 0, 0, 0, 0, &users);
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorOwner(&descriptor, users, FALSE);
    SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
    HANDLE first =
        CreateFileMappingW(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0, 4096, names.mapping.c_str());
    ChannelObjects objects;
    std::string said = "another's: " + std::to_string(CreateChannelObjects(names, &objects)) + " " + texts;
    CloseHandle(first);
    FreeSid(users);
    // An event this account made, as a program still holds those of the service's last run.
    first = CreateEventW(nullptr, FALSE, FALSE, names.response.c_str());
    said += "this account's: " + std::to_string(CreateChannelObjects(names, &objects));
    CloseChannelObjects(&objects);
    CloseHandle(first);
    UseDebugTextSink(nullptr);
    EXPECT_EQ(said, "another's: 0 CreateFileMapping error 183; this account's: 1");
}
