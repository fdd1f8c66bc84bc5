// The channel's refusals and failures: sizes above the data area, calls while not connected, calls
// the service makes and Win32 refuses, and a service that stops or never answers.
#include <thread>

#include "channel_fixture.h"

namespace {

struct Outcome {
    uintptr_t result;
    DWORD error;
    DWORD count;
};

// Each of the six calls on `h`, with counts preset to a value the call must overwrite.
std::vector<Outcome> AllSixCalls(HANDLE h) {
    std::vector<Outcome> outcomes;
    char buffer[512] = {};
    DWORD count = 77;
    outcomes.push_back({reinterpret_cast<uintptr_t>(RawCreateFile(L"\\\\.\\PHYSICALDRIVE1", GENERIC_READ, 0, nullptr,
                                                                  OPEN_EXISTING, 0, nullptr)),
                        GetLastError(), 0});
    outcomes.push_back({static_cast<uintptr_t>(RawCloseHandle(h)), GetLastError(), 0});
    outcomes.push_back({RawSetFilePointer(h, 512, nullptr, FILE_BEGIN), GetLastError(), 0});
    BOOL read = RawReadFile(h, buffer, 512, &count, nullptr);
    outcomes.push_back({static_cast<uintptr_t>(read), GetLastError(), count});
    count = 77;
    BOOL written = RawWriteFile(h, buffer, 512, &count, nullptr);
    outcomes.push_back({static_cast<uintptr_t>(written), GetLastError(), count});
    count = 77;
    BOOL controlled = RawDeviceIoControl(h, 0x00090018, nullptr, 0, nullptr, 0, &count, nullptr);
    outcomes.push_back({static_cast<uintptr_t>(controlled), GetLastError(), count});
    return outcomes;
}

void ExpectAllNotConnected(const std::vector<Outcome>& outcomes) {
    ASSERT_EQ(outcomes.size(), 6u);
    const uintptr_t expectedResults[6] = {
        reinterpret_cast<uintptr_t>(INVALID_HANDLE_VALUE), FALSE, 0xFFFFFFFF, FALSE, FALSE, FALSE};
    const char* names[6] = {"create", "close", "seek", "read", "write", "device control"};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(outcomes[i].result, expectedResults[i]) << names[i];
        EXPECT_EQ(outcomes[i].error, static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE)) << names[i];
        EXPECT_EQ(outcomes[i].count, 0u) << names[i];
    }
}

}  // namespace

TEST_F(ServiceChannelTest, TransfersAboveTheDataAreaAreRefusedWithoutAsking) {
    HANDLE h = OpenVolume();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    size_t served = RequestsServed();
    std::string buffer(kServiceDataSize + 1, '\0');
    DWORD count = 77;
    EXPECT_FALSE(RawReadFile(h, &buffer[0], kServiceDataSize + 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(count, 0u);
    count = 77;
    EXPECT_FALSE(RawWriteFile(h, buffer.data(), kServiceDataSize + 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(count, 0u);
    count = 77;
    EXPECT_FALSE(RawDeviceIoControl(h, 0x2D1400, &buffer[0], kServiceDataSize + 1, &buffer[0], 64, &count, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(count, 0u);
    count = 77;
    EXPECT_FALSE(RawDeviceIoControl(h, 0x2D1400, &buffer[0], 12, &buffer[0], kServiceDataSize + 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(RequestsServed(), served);
    // Exactly the data area is carried.
    EXPECT_TRUE(RawReadFile(h, &buffer[0], kServiceDataSize, &count, nullptr));
    EXPECT_EQ(count, kServiceDataSize);
    EXPECT_EQ(RequestsServed(), served + 1);
    EXPECT_TRUE(RawCloseHandle(h));
}

TEST_F(ServiceChannelTest, PathsTooLongForTheBlockAreRefusedWithoutAsking) {
    size_t served = RequestsServed();
    std::wstring path = L"\\\\.\\" + std::wstring(256, L'A');  // 260 characters
    EXPECT_EQ(RawCreateFile(path.c_str(), GENERIC_READ, 7, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(RequestsServed(), served);
}

TEST_F(ServiceChannelTest, EveryCallFailsAsNotActiveAfterDisconnectOnAnyThread) {
    HANDLE h = OpenVolume();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DisconnectDiskService(GetCurrentProcess());
    ExpectAllNotConnected(AllSixCalls(h));
    std::vector<Outcome> fromOtherThread;
    std::thread other([&] { fromOtherThread = AllSixCalls(h); });
    other.join();
    ExpectAllNotConnected(fromOtherThread);
    // The thread that failed has ended; had it kept the client lock, this would never finish.
    MustFinishWithin(30000, "reconnecting after failed calls", [&] {
        EXPECT_TRUE(ConnectDiskService(GetCurrentProcess()));
        HANDLE again = OpenVolume();
        EXPECT_NE(again, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(RawCloseHandle(again));
    });
}

TEST_F(ServiceChannelTest, FailureOfTheServicesCallComesBackAsItsError) {
    // A drive path the service agrees to open, but no such drive: the service's own error.
    HANDLE direct = CreateFileW(L"\\\\.\\PHYSICALDRIVE9", GENERIC_READ, 7, nullptr, OPEN_EXISTING, 0x80, nullptr);
    DWORD directError = GetLastError();
    ASSERT_EQ(direct, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RawCreateFile(L"\\\\.\\PHYSICALDRIVE9", GENERIC_READ, 7, nullptr, OPEN_EXISTING, 0x80, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), directError);
}

TEST_F(ServiceChannelTest, FailedReadLeavesTheBufferAlone) {
    HANDLE h = OpenVolume(GENERIC_WRITE);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    HANDLE direct = OpenVolumeDirectly(GENERIC_WRITE);
    ASSERT_NE(direct, INVALID_HANDLE_VALUE);
    char sink[512];
    DWORD directCount = 0;
    ASSERT_FALSE(ReadFile(direct, sink, 512, &directCount, nullptr));
    DWORD directError = GetLastError();
    CloseHandle(direct);

    std::string buffer(512, '\xAB');
    DWORD count = 77;
    EXPECT_FALSE(RawReadFile(h, &buffer[0], 512, &count, nullptr));
    EXPECT_EQ(GetLastError(), directError);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(buffer, std::string(512, '\xAB'));
    EXPECT_TRUE(RawCloseHandle(h));
}

TEST_F(ServiceChannelTest, StoppedServiceFailsTheCallWithoutHanging) {
    HANDLE h = OpenVolume();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    service_.Stop();
    std::string buffer(512, '\xAB');
    DWORD count = 77;
    BOOL result = TRUE;
    DWORD error = 0;
    MustFinishWithin(30000, "a read from a stopped service", [&] {
        result = RawReadFile(h, &buffer[0], 512, &count, nullptr);
        error = GetLastError();
    });
    EXPECT_FALSE(result);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(buffer, std::string(512, '\xAB'));
    // From now on the channel counts as disconnected, on every thread, and the lock is free.
    std::vector<Outcome> later;
    MustFinishWithin(30000, "calls after the service stopped", [&] { later = AllSixCalls(h); });
    ExpectAllNotConnected(later);
}

TEST_F(ServiceChannelTest, ConnectFailsWhenTheServiceNeverAnswers) {
    DisconnectDiskService(GetCurrentProcess());
    service_.Stop();  // the objects stay, nobody serves them
    bool connected = true;
    MustFinishWithin(30000, "connecting to a stopped service",
                     [&] { connected = ConnectDiskService(GetCurrentProcess()); });
    EXPECT_FALSE(connected);
    EXPECT_EQ(RawCloseHandle(reinterpret_cast<HANDLE>(0x40)), FALSE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
}

TEST_F(ServiceChannelTest, ConnectFailsWhenTheObjectsAreMissing) {
    DisconnectDiskService(GetCurrentProcess());
    ServiceChannelNames missing = service_.names();
    missing.request += L"-missing";
    UseServiceChannelNames(missing);
    EXPECT_FALSE(ConnectDiskService(GetCurrentProcess()));
    missing = service_.names();
    missing.mapping += L"-missing";
    UseServiceChannelNames(missing);
    EXPECT_FALSE(ConnectDiskService(GetCurrentProcess()));
    UseServiceChannelNames(service_.names());
    EXPECT_TRUE(ConnectDiskService(GetCurrentProcess()));
}

TEST_F(ServiceChannelTest, DirectRouteNeitherConnectsNorDisconnects) {
    DisconnectDiskService(GetCurrentProcess());
    environmentInfo.useDiskService = 0;
    size_t served = RequestsServed();
    UseServiceChannelNames({L"Global\\NoSuchMapping", L"Global\\NoSuchRequest", L"Global\\NoSuchResponse", L"none"});
    EXPECT_TRUE(ConnectDiskService(GetCurrentProcess()));
    DisconnectDiskService(GetCurrentProcess());
    EXPECT_EQ(RequestsServed(), served);
    UseServiceChannelNames(service_.names());
}

TEST_F(ServiceChannelTest, ReconnectsWhenTheServiceComesBack) {
    service_.Stop();
    EXPECT_EQ(RawCreateFile(volume_.devicePath().c_str(), GENERIC_READ, 7, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
    InProcessService restarted;
    ASSERT_TRUE(restarted.ok());
    ASSERT_TRUE(ConnectDiskService(GetCurrentProcess()));
    HANDLE h = OpenVolume();
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(RawCloseHandle(h));
    DisconnectDiskService(GetCurrentProcess());
}
