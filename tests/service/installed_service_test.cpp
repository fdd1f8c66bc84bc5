// The real disk service executable, installed and removed by its batch files and started by the
// service manager: it refuses the system's own drives, which Wine opens, and once stopped it fails
// the next call rather than leave the program waiting. And the path it registers for itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <filesystem>

#include "disk/raw_calls.h"
#include "disk/service_client.h"
#include "service/install.h"
#include "service_harness.h"
#include "support/temp_dir.h"

namespace {

// The service's state (SERVICE_RUNNING, ...), 0 when it is gone. Asked afresh each time: an open
// handle would keep a deleted service listed.
DWORD StateNow() {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = OpenServiceW(manager, L"ZRVKVN service", SERVICE_QUERY_STATUS);
    SERVICE_STATUS status = {};
    const DWORD state = service && QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
    if (service) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return state;
}

// The running service's process, to wait on; null when it runs none.
HANDLE ServiceProcess() {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = OpenServiceW(manager, L"ZRVKVN service", SERVICE_QUERY_STATUS);
    SERVICE_STATUS_PROCESS status = {};
    DWORD needed = 0;
    HANDLE process = nullptr;
    if (service && QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                        sizeof(status), &needed))
        process = OpenProcess(SYNCHRONIZE, FALSE, status.dwProcessId);
    if (service) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return process;
}

// The state once it is `wanted` or thirty seconds have passed.
DWORD StateOnceItIs(DWORD wanted) {
    DWORD state = StateNow();
    for (int i = 0; i < 3000 && state != wanted; ++i, Sleep(10))
        state = StateNow();
    return state;
}

// The program's calls through the service on the system's own drives, which it refuses, and on a
// drive that is not there, one line each.
std::vector<std::string> Script() {
    std::vector<std::string> lines;
    for (const wchar_t* path : {L"\\\\.\\C:", L"\\\\.\\Z:", L"\\\\.\\PHYSICALDRIVE0", L"\\\\.\\PHYSICALDRIVE9"}) {
        SetLastError(0);
        HANDLE h = RawCreateFile(path, 0xC0000000, 7, nullptr, 3, 0x80, nullptr);
        lines.push_back(std::string(path, path + wcslen(path)) + " " + Said(h == INVALID_HANDLE_VALUE));
    }
    SetLastError(0);
    lines.push_back("a file " + Said(RawCreateFile(L"C:\\windows\\win.ini", 1, 7, nullptr, 3, 0x80, nullptr) ==
                                     INVALID_HANDLE_VALUE));
    lines.push_back("close what it never opened " + Said(RawCloseHandle(reinterpret_cast<HANDLE>(0x1234))));
    return lines;
}

}  // namespace

TEST(InstalledService, RefusesTheSystemsDrivesKeepsServingAndStopsWithoutAHang) {
    if (!GetProcAddress(GetModuleHandleW(L"ntdll"), "wine_get_version"))
        GTEST_SKIP() << "under Wine only: on Windows this would install a service";
    const std::string built = SLOTWISE_DISKSERVICE_EXE;
    const std::wstring folder = WindowsPath(built.substr(0, built.rfind('/') + 1));
    const std::wstring service = L"\"" + folder + L"ZRVKVNService.exe\"";
    RunProgram(service + L" /uninstall");  // left by an earlier run, if at all

    // The batch files run the executable from their own folder, whatever the current one.
    const std::string install = RunProgram(L"\"" + folder + L"InstallKVN.bat\"");
    EXPECT_NE(install.find("administrator rights.\r\ncreate service success!\r\n"), std::string::npos) << install;
    ASSERT_EQ(StateOnceItIs(SERVICE_RUNNING), static_cast<DWORD>(SERVICE_RUNNING)) << install;
    EXPECT_EQ(RunProgram(service + L" /install"), "createservice failure(1073)\r\nexit 1");  // it exists

    DiskRoute route(1);
    EXPECT_EQ(Said(RawCloseHandle(nullptr)), "0 error 1062 count 0") << "before connecting";
    ASSERT_TRUE(IsDiskServiceRunning());
    ASSERT_TRUE(ConnectDiskService(GetCurrentProcess()));
    EXPECT_EQ(Script(), (std::vector<std::string>{R"(\\.\C: 1 error 5 count 0)", R"(\\.\Z: 1 error 5 count 0)",
                                                  R"(\\.\PHYSICALDRIVE0 1 error 5 count 0)",
                                                  R"(\\.\PHYSICALDRIVE9 1 error 2 count 0)", "a file 1 error 5 count 0",
                                                  "close what it never opened 0 error 6 count 0"}));

    RunProgram(L"sc stop \"ZRVKVN service\"");
    EXPECT_EQ(StateOnceItIs(SERVICE_STOPPED), static_cast<DWORD>(SERVICE_STOPPED));
    std::string said;
    MustFinishWithin(60000, "a call to the stopped service", [&] { said = Said(RawCloseHandle(nullptr)); });
    EXPECT_EQ(said, "0 error 1062 count 0");
    EXPECT_FALSE(ConnectDiskService(GetCurrentProcess()));

    // Uninstalling a running service returns once it has stopped, so that an installer can
    // replace or delete the exe straight away.
    RunProgram(L"sc start \"ZRVKVN service\"");
    ASSERT_EQ(StateOnceItIs(SERVICE_RUNNING), static_cast<DWORD>(SERVICE_RUNNING));
    HANDLE process = ServiceProcess();
    ASSERT_NE(process, nullptr);
    const std::string uninstall = RunProgram(L"\"" + folder + L"UninstallKVN.bat\"");
    EXPECT_NE(uninstall.find("administrator rights.\r\n"), std::string::npos) << uninstall;
    EXPECT_EQ(WaitForSingleObject(process, 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "the service still runs";
    CloseHandle(process);
    EXPECT_EQ(StateNow(), 0u) << uninstall;
    EXPECT_EQ(RunProgram(service + L" /uninstall"), "open kvn service failure(424)\r\nexit 1");  // in hexadecimal
}

// The service manager starts no program by a path of MAX_PATH or more characters, and Wine starts
// none from there at all: the path install registers is judged here.
TEST(InstalledService, ALongProgramPathIsRegisteredByItsShortFormOrRefused) {
    TempDir dir;
    std::string folder = dir.path(), deep;
    while (folder.size() <= MAX_PATH)
        folder += "/a folder of the disk service";
    for (deep = folder; deep.size() < 4 * MAX_PATH;)
        deep += "/a folder of the disk service";  // whose short form is longer than MAX_PATH too
    std::string said;
    for (const std::string& at : {folder, deep}) {
        std::filesystem::create_directories(at);
        WriteWholeFile(at + "/ZRVKVNService.exe", "MZ");
        SetLastError(0);
        std::wstring path = ServicePathFor(WindowsPath(at) + L"\\ZRVKVNService.exe");
        const DWORD error = GetLastError();
        const bool found =
            path.size() > 2 && GetFileAttributesW(path.substr(1, path.size() - 2).c_str()) != INVALID_FILE_ATTRIBUTES;
        said += std::to_string(path.size() < MAX_PATH) + " " + std::to_string(path.size() > 2 && path.front() == '"') +
                " " + std::to_string(found) + " error " + std::to_string(error) + "; ";
    }
    EXPECT_EQ(said, "1 1 1 error 0; 1 0 0 error 206; ");
}
