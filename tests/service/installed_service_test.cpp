// The real disk service executable, installed and removed by its batch files and started by the
// service manager: the program's calls through it are answered as Win32 answers them directly, it
// keeps its checks, and once stopped it fails the next call rather than leave the program waiting.
#include <windows.h>

#include <winioctl.h>

#include <ntddscsi.h>  // after winioctl.h, whose codes it uses

#include <gtest/gtest.h>

#include "disk/raw_calls.h"
#include "disk/service_client.h"
#include "service_harness.h"
#include "support/test_bytes.h"

namespace {

// The service's state (SERVICE_RUNNING, ...) once it is `wanted` or thirty seconds have passed; 0
// when it is gone. Asked afresh each time: an open handle would keep a deleted service listed.
DWORD StateOnceItIs(DWORD wanted) {
    DWORD state = 0;
    for (int i = 0; i < 3000 && (i == 0 || state != wanted); ++i, Sleep(10)) {
        SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
        SC_HANDLE service = OpenServiceW(manager, L"ZRVKVN service", SERVICE_QUERY_STATUS);
        SERVICE_STATUS status = {};
        state = service && QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
        if (service) CloseServiceHandle(service);
        CloseServiceHandle(manager);
    }
    return state;
}

// The program's calls on the scratch volume, one line each.
std::vector<std::string> Script(const ScratchVolume& volume, unsigned seed) {
    const std::string sector = TestBytes(512, seed), large = TestBytes(kServiceDataSize, seed + 1);
    std::string back(kServiceDataSize, 'x');
    SCSI_PASS_THROUGH capacity[2] = {};  // READ CAPACITY (10) as discovery sends it, the data after it
    capacity[0].Length = sizeof capacity[0];
    capacity[0].CdbLength = 10;
    capacity[0].DataIn = SCSI_IOCTL_DATA_IN;
    capacity[0].DataTransferLength = 8;
    capacity[0].DataBufferOffset = sizeof capacity[0];
    capacity[0].Cdb[0] = 0x25;
    LONG high = 1;
    DWORD n = 77;
    std::vector<std::string> lines;
    SetLastError(0);
    HANDLE h = RawCreateFile(volume.devicePath.c_str(), 0xC0000000, 7, nullptr, 3, 0x20000080, nullptr);
    lines.push_back("open " + Said(h != INVALID_HANDLE_VALUE));
    lines.push_back("seek to block 2 " + Said(RawSetFilePointer(h, 3145728, nullptr, FILE_BEGIN)));
    lines.push_back("write a sector " + Said(RawWriteFile(h, sector.data(), 512, &n, nullptr), n));
    RawSetFilePointer(h, 3145728, nullptr, FILE_BEGIN);
    lines.push_back("read it " + Said(RawReadFile(h, &back[0], 512, &n, nullptr) && !back.compare(0, 512, sector), n));
    lines.push_back("seek with a high part " + Said(RawSetFilePointer(h, 512, &high, FILE_BEGIN)));
    RawSetFilePointer(h, 1024, nullptr, FILE_BEGIN);
    lines.push_back("write the data area " + Said(RawWriteFile(h, large.data(), kServiceDataSize, &n, nullptr), n));
    RawSetFilePointer(h, 1024, nullptr, FILE_BEGIN);
    lines.push_back("read it " + Said(RawReadFile(h, &back[0], kServiceDataSize, &n, nullptr) && back == large, n));
    lines.push_back("device number " + Said(RawDeviceIoControl(h, 0x2D1080, nullptr, 0, &back[0], 12, &n, nullptr), n));
    lines.push_back("read capacity " + Said(RawDeviceIoControl(h, 0x4D004, capacity, sizeof capacity[0], capacity,
                                                               sizeof capacity, &n, nullptr)));
    lines.push_back("lock, no output " + Said(RawDeviceIoControl(h, 0x90018, nullptr, 0, &back[0], 0, &n, nullptr)));
    lines.push_back("close " + Said(RawCloseHandle(h)));
    SetLastError(0);
    lines.push_back("open a drive not there " + Said(RawCreateFile(L"\\\\.\\PHYSICALDRIVE9", 1, 7, nullptr, 3, 0x80,
                                                                   nullptr) == INVALID_HANDLE_VALUE));
    return lines;
}

}  // namespace

TEST(InstalledService, AnswersAsWin32DoesKeepsItsChecksAndStopsWithoutAHang) {
    const ScratchVolume& volume = SharedVolume();  // under Wine only: on Windows this would install a service
    if (volume.devicePath.empty()) GTEST_SKIP() << "no scratch volume: it needs Wine and a free drive letter";
    std::string exe = SLOTWISE_DISKSERVICE_EXE;  // built on Linux: Wine shows / as Z:
    std::wstring folder = (exe[0] == '/' ? L"Z:" : L"") + std::wstring(exe.begin(), exe.begin() + exe.rfind('/') + 1);
    for (wchar_t& c : folder)
        c = c == L'/' ? L'\\' : c;
    const std::wstring service = L"\"" + folder + L"ZRVKVNService.exe\"";
    RunProgram(service + L" /uninstall");  // left by an earlier run, if at all
    std::vector<std::string> direct;
    {
        DiskRoute route(0);
        direct = Script(volume, 1);
    }

    // The batch files run the executable from their own folder, whatever the current one.
    const std::string install = RunProgram(L"\"" + folder + L"InstallKVN.bat\"");
    EXPECT_NE(install.find("administrator rights.\r\ncreate service success!\r\n"), std::string::npos) << install;
    ASSERT_EQ(StateOnceItIs(SERVICE_RUNNING), static_cast<DWORD>(SERVICE_RUNNING)) << install;
    EXPECT_EQ(RunProgram(service + L" /install"), "createservice failure(1073)\r\nexit 1");  // it exists

    DiskRoute route(1);
    EXPECT_EQ(Said(RawCloseHandle(nullptr)), "0 error 1062 count 0") << "before connecting";
    ASSERT_TRUE(IsDiskServiceRunning());
    ASSERT_TRUE(ConnectDiskService(GetCurrentProcess()));
    EXPECT_EQ(Script(volume, 3), direct);
    const std::string image = volume.Image();
    EXPECT_TRUE(image.compare(3145728, 512, TestBytes(512, 3)) == 0) << "the sector did not reach the image";
    EXPECT_TRUE(image.compare(1024, kServiceDataSize, TestBytes(kServiceDataSize, 4)) == 0) << "nor the data area";

    char sector[512];
    HANDLE h = RawCreateFile(volume.devicePath.c_str(), 0xC0000000, 7, nullptr, 3, 0x20000080, nullptr);
    DWORD n = 77;
    SetLastError(0);
    std::string said =
        Said(RawCreateFile(L"C:\\windows\\win.ini", 1, 7, nullptr, 3, 0x80, nullptr) == INVALID_HANDLE_VALUE);
    said += "; " + Said(RawDeviceIoControl(h, 0x9001C, nullptr, 0, nullptr, 0, &n, nullptr), n);  // unlock
    said += "; " + Said(RawReadFile(h, sector, 512, &n, nullptr), n);                             // still serving
    EXPECT_EQ(said, "1 error 5 count 0; 0 error 5 count 0; 1 error 0 count 512");

    RunProgram(L"sc stop \"ZRVKVN service\"");
    EXPECT_EQ(StateOnceItIs(SERVICE_STOPPED), static_cast<DWORD>(SERVICE_STOPPED));
    MustFinishWithin(60000, "a read from the stopped service",
                     [&] { said = Said(RawReadFile(h, sector, 512, &(n = 77), nullptr), n); });
    EXPECT_EQ(said, "0 error 1062 count 0");
    EXPECT_FALSE(ConnectDiskService(GetCurrentProcess()));

    const std::string uninstall = RunProgram(L"\"" + folder + L"UninstallKVN.bat\"");
    EXPECT_NE(uninstall.find("administrator rights.\r\n"), std::string::npos) << uninstall;
    EXPECT_EQ(StateOnceItIs(0), 0u) << uninstall;
    EXPECT_EQ(RunProgram(service + L" /uninstall"), "open kvn service failure(424)\r\nexit 1");  // in hexadecimal
}
