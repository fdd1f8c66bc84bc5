// The real disk service: installed with "/install", started by the service manager, used by the
// program's client on the real names, stopped, and removed with "/uninstall". Under Wine only: on
// Windows this would change the machine's services.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "disk/environment.h"
#include "disk/raw_calls.h"
#include "disk/service_channel.h"
#include "disk/service_client.h"
#include "in_process_service.h"
#include "scratch_volume.h"
#include "service_program.h"

namespace {

constexpr uint32_t kVolumeBytes = 2 * 1024 * 1024;

// Takes the service away if an earlier run left it installed.
void RemoveLeftoverService() {
    if (ServiceState() == 0) return;
    RunServiceExecutable(L"/uninstall");
    WaitForServiceState(0);
}

class InstalledServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!RunningUnderWine()) GTEST_SKIP() << "installs a service; runs under Wine only";
        if (!volume_.ok()) GTEST_SKIP() << volume_.failure();
        RemoveLeftoverService();
        ProgramRun install = RunServiceExecutable(L"/install");
        ASSERT_TRUE(install.finished);
        ASSERT_EQ(install.output, "create service success!\r\n");
        EXPECT_EQ(install.exitCode, 0u);
        ASSERT_TRUE(WaitForServiceState(SERVICE_RUNNING));
        savedRoute_ = environmentInfo.useDiskService;
        environmentInfo.useDiskService = 1;
    }
    void TearDown() override {
        if (IsSkipped()) return;
        DisconnectDiskService(GetCurrentProcess());
        environmentInfo.useDiskService = savedRoute_;
        ProgramRun uninstall = RunServiceExecutable(L"/uninstall");
        EXPECT_TRUE(uninstall.finished);
        EXPECT_EQ(uninstall.output, "");
        EXPECT_EQ(uninstall.exitCode, 0u);
        EXPECT_TRUE(WaitForServiceState(0));
    }

    HANDLE OpenVolume(DWORD access = GENERIC_READ | GENERIC_WRITE) {
        return RawCreateFile(volume_.devicePath().c_str(), access, 7, nullptr, OPEN_EXISTING, 0x20000080, nullptr);
    }

    ScratchVolume volume_{kVolumeBytes};
    int32_t savedRoute_ = 0;
};

}  // namespace

TEST_F(InstalledServiceTest, ProgramReachesTheVolumeThroughTheService) {
    EXPECT_TRUE(IsDiskServiceRunning());
    ASSERT_TRUE(ConnectDiskService(GetCurrentProcess()));
    HANDLE h = OpenVolume();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::string data(2880 * 512, '\0');
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<char>(i * 13 + (i >> 9));
    }
    EXPECT_EQ(RawSetFilePointer(h, 512, nullptr, FILE_BEGIN), 512u);
    DWORD count = 0;
    ASSERT_TRUE(RawWriteFile(h, data.data(), static_cast<DWORD>(data.size()), &count, nullptr));
    EXPECT_EQ(count, data.size());
    EXPECT_EQ(RawSetFilePointer(h, 0, nullptr, FILE_BEGIN), 0u);
    std::string back(512 + data.size(), '\0');
    ASSERT_TRUE(RawReadFile(h, &back[0], static_cast<DWORD>(back.size()), &count, nullptr));
    EXPECT_EQ(count, back.size());
    EXPECT_EQ(back.substr(0, volume_.marker().size()), volume_.marker());
    EXPECT_TRUE(back.substr(512) == data);

    // Device control is answered: the lock the program sends before dismounting.
    DWORD returned = 77;
    EXPECT_TRUE(RawDeviceIoControl(h, 0x00090018, nullptr, 0, nullptr, 0, &returned, nullptr));
    EXPECT_EQ(returned, 0u);
    EXPECT_TRUE(RawCloseHandle(h));
    EXPECT_TRUE(ReadWholeFile(volume_.imageFile()).substr(512, data.size()) == data);
}

TEST_F(InstalledServiceTest, RefusalsAreAnsweredAndTheServiceKeepsServing) {
    ASSERT_TRUE(ConnectDiskService(GetCurrentProcess()));
    EXPECT_EQ(RawCreateFile(L"C:\\windows\\win.ini", GENERIC_READ, 7, nullptr, OPEN_EXISTING, 0x80, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(RawCreateFile(volume_.devicePath().c_str(), GENERIC_READ, 7, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                            nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    // The service's own handles (its mapping, events, service-manager handles) are among these values.
    for (uintptr_t value = 4; value <= 0x400; value += 4) {
        ASSERT_FALSE(RawCloseHandle(reinterpret_cast<HANDLE>(value))) << value;
        ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE)) << value;
    }
    char sector[512];
    DWORD count = 77;
    EXPECT_FALSE(RawReadFile(reinterpret_cast<HANDLE>(0x40), sector, 512, &count, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(RawSetFilePointer(reinterpret_cast<HANDLE>(0x40), 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    HANDLE h = OpenVolume();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD returned = 77;
    EXPECT_FALSE(RawDeviceIoControl(h, 0x0009001C, nullptr, 0, nullptr, 0, &returned, nullptr));  // unlock volume
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    // A client that ignores the rules: a read count above the data area, written into the block directly.
    HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, L"Global\\ZRVKVNMappingObject");
    HANDLE request = OpenEventW(EVENT_ALL_ACCESS, FALSE, L"Global\\ZRVKVNRequestObject");
    HANDLE response = OpenEventW(EVENT_ALL_ACCESS, FALSE, L"Global\\ZRVKVNResponseObject");
    ASSERT_TRUE(mapping && request && response);
    auto* block = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kServiceBlockSize));
    ASSERT_NE(block, nullptr);
    StoreBlock32(block, kSvcCommand, SVCFDD_READFILE);
    StoreBlock32(block, kSvcHandle, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h)));
    StoreBlock32(block, kSvcIoCount, kServiceDataSize + 1);
    SetEvent(request);
    EXPECT_EQ(WaitForSingleObject(response, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(LoadBlock32(block, kSvcResult), 0u);
    EXPECT_EQ(LoadBlock32(block, kSvcLastError), static_cast<uint32_t>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(LoadBlock32(block, kSvcIoDone), 0u);
    UnmapViewOfFile(block);
    CloseHandle(mapping);
    CloseHandle(request);
    CloseHandle(response);

    // Still serving.
    ASSERT_TRUE(RawReadFile(h, sector, 512, &count, nullptr));
    EXPECT_EQ(std::string(sector, volume_.marker().size()), volume_.marker());
    EXPECT_TRUE(RawCloseHandle(h));
}

TEST_F(InstalledServiceTest, StoppedServiceFailsCallsWithoutHanging) {
    ASSERT_TRUE(ConnectDiskService(GetCurrentProcess()));
    HANDLE h = OpenVolume();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(StopService());
    ASSERT_TRUE(WaitForServiceState(SERVICE_STOPPED));
    EXPECT_FALSE(IsDiskServiceRunning());
    char sector[512];
    DWORD count = 77;
    BOOL result = TRUE;
    DWORD error = 0;
    MustFinishWithin(60000, "a read from the stopped service", [&] {
        result = RawReadFile(h, sector, 512, &count, nullptr);
        error = GetLastError();
    });
    EXPECT_FALSE(result);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
    EXPECT_EQ(count, 0u);
    EXPECT_FALSE(RawCloseHandle(h));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
    EXPECT_FALSE(ConnectDiskService(GetCurrentProcess()));
}

TEST_F(InstalledServiceTest, SecondInstallReportsTheExistingService) {
    ProgramRun again = RunServiceExecutable(L"/install");
    ASSERT_TRUE(again.finished);
    EXPECT_EQ(again.output, "createservice failure(1073)\r\n");  // ERROR_SERVICE_EXISTS
    EXPECT_NE(again.exitCode, 0u);
    EXPECT_EQ(ServiceState(), static_cast<DWORD>(SERVICE_RUNNING));
}

TEST(ServiceInstallation, UninstallingAMissingServiceSaysSo) {
    if (!RunningUnderWine()) GTEST_SKIP() << "touches the service manager; runs under Wine only";
    RemoveLeftoverService();
    ProgramRun run = RunServiceExecutable(L"/uninstall");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.output, "open kvn service failure(424)\r\n");  // ERROR_SERVICE_DOES_NOT_EXIST, in hexadecimal
    EXPECT_NE(run.exitCode, 0u);
}

TEST(ServiceInstallation, WithoutArgumentsOutsideTheServiceManagerItOnlyFails) {
    if (!RunningUnderWine()) GTEST_SKIP() << "runs under Wine only";
    ProgramRun run = RunServiceExecutable(L"");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.output, "");
    EXPECT_NE(run.exitCode, 0u);
}

TEST(ServiceInstallation, BatchFilesInstallAndRemoveTheServiceFromTheirFolder) {
    if (!RunningUnderWine()) GTEST_SKIP() << "installs a service; runs under Wine only";
    RemoveLeftoverService();
    std::wstring folder = ServiceExecutable();
    folder.erase(folder.find_last_of(L'\\') + 1);
    // Run from another folder: the batch files must find the executable beside themselves.
    ProgramRun install = RunProgram(L"cmd.exe /c \"" + folder + L"InstallKVN.bat\"");
    ASSERT_TRUE(install.finished);
    EXPECT_NE(install.output.find("administrator"), std::string::npos) << install.output;
    EXPECT_NE(install.output.find("create service success!"), std::string::npos) << install.output;
    EXPECT_TRUE(WaitForServiceState(SERVICE_RUNNING));
    ProgramRun uninstall = RunProgram(L"cmd.exe /c \"" + folder + L"UninstallKVN.bat\"");
    ASSERT_TRUE(uninstall.finished);
    EXPECT_NE(uninstall.output.find("administrator"), std::string::npos) << uninstall.output;
    EXPECT_TRUE(WaitForServiceState(0));
}
