// The routing point: every argument reaches the route and every answer comes back; with the direct
// route the calls behave as Win32 does; with the service route they go to the channel.
#include "disk/raw_calls.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "disk/environment.h"
#include "fake_raw_calls.h"
#include "support/temp_dir.h"

namespace {

class RouteFlag {
public:
    explicit RouteFlag(int32_t useDiskService) : saved_(environmentInfo.useDiskService) {
        environmentInfo.useDiskService = useDiskService;
    }
    ~RouteFlag() { environmentInfo.useDiskService = saved_; }

private:
    int32_t saved_;
};

HANDLE Fake(uintptr_t value) {
    return reinterpret_cast<HANDLE>(value);
}

}  // namespace

TEST(RawCallRouting, CreateFileArgumentsReachTheRouteAndItsAnswerComesBack) {
    FakeRawCalls fake;
    fake.answer = [](const RawCallRecord&) { return RawAnswer{0x4321, ERROR_SHARING_VIOLATION, 0, {}}; };
    SECURITY_ATTRIBUTES security = {sizeof(security), nullptr, FALSE};
    HANDLE h = RawCreateFile(L"\\\\.\\PHYSICALDRIVE3", GENERIC_READ | GENERIC_WRITE, 7, &security, OPEN_EXISTING,
                             0x20000080, Fake(0x88));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(h, Fake(0x4321));
    auto calls = fake.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].call, RawCall::CreateFile);
    EXPECT_EQ(calls[0].path, L"\\\\.\\PHYSICALDRIVE3");
    EXPECT_EQ(calls[0].access, static_cast<DWORD>(GENERIC_READ | GENERIC_WRITE));
    EXPECT_EQ(calls[0].share, 7u);
    EXPECT_TRUE(calls[0].securityGiven);
    EXPECT_EQ(calls[0].disposition, static_cast<DWORD>(OPEN_EXISTING));
    EXPECT_EQ(calls[0].flags, 0x20000080u);
    EXPECT_EQ(calls[0].templateFile, Fake(0x88));
}

TEST(RawCallRouting, CloseAndSeekArgumentsReachTheRoute) {
    FakeRawCalls fake;
    fake.answer = [](const RawCallRecord& r) {
        return r.call == RawCall::CloseHandle ? RawAnswer{FALSE, ERROR_INVALID_HANDLE, 0, {}}
                                              : RawAnswer{0x600, ERROR_NEGATIVE_SEEK, 0, {}};
    };
    EXPECT_FALSE(RawCloseHandle(Fake(0x44)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    LONG high = 2;
    EXPECT_EQ(RawSetFilePointer(Fake(0x48), -512, &high, FILE_CURRENT), 0x600u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    EXPECT_EQ(RawSetFilePointer(Fake(0x4C), 1024, nullptr, FILE_END), 0x600u);
    auto calls = fake.Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].handle, Fake(0x44));
    EXPECT_EQ(calls[1].handle, Fake(0x48));
    EXPECT_EQ(calls[1].distance, -512);
    EXPECT_TRUE(calls[1].highGiven);
    EXPECT_EQ(calls[1].high, 2);
    EXPECT_EQ(calls[1].moveMethod, static_cast<DWORD>(FILE_CURRENT));
    EXPECT_EQ(calls[2].distance, 1024);
    EXPECT_FALSE(calls[2].highGiven);
    EXPECT_EQ(calls[2].moveMethod, static_cast<DWORD>(FILE_END));
}

TEST(RawCallRouting, ReadAndWriteMoveTheirBytesAndCounts) {
    FakeRawCalls fake;
    fake.answer = [](const RawCallRecord& r) {
        if (r.call == RawCall::ReadFile) return RawAnswer{TRUE, 0, 3, "abc"};
        return RawAnswer{TRUE, 0, r.size - 1, {}};
    };
    char buffer[8] = "-------";
    DWORD done = 99;
    OVERLAPPED overlapped = {};
    EXPECT_TRUE(RawReadFile(Fake(0x50), buffer, 6, &done, &overlapped));
    EXPECT_EQ(done, 3u);
    EXPECT_EQ(std::string(buffer), "abc----");
    EXPECT_TRUE(RawWriteFile(Fake(0x54), "hello", 5, &done, nullptr));
    EXPECT_EQ(done, 4u);
    auto calls = fake.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].handle, Fake(0x50));
    EXPECT_EQ(calls[0].size, 6u);
    EXPECT_EQ(calls[0].buffer, buffer);
    EXPECT_TRUE(calls[0].overlappedGiven);
    EXPECT_EQ(calls[1].handle, Fake(0x54));
    EXPECT_EQ(calls[1].input, "hello");
    EXPECT_FALSE(calls[1].overlappedGiven);
}

TEST(RawCallRouting, DeviceControlKeepsInputAndOutputApart) {
    FakeRawCalls fake;
    fake.answer = [](const RawCallRecord&) { return RawAnswer{TRUE, 0, 2, "OUTPUT"}; };
    char input[] = "IN";
    char output[4] = {'x', 'x', 'x', 'x'};
    DWORD returned = 0;
    EXPECT_TRUE(RawDeviceIoControl(Fake(0x58), 0x2D1080, input, 2, output, 3, &returned, nullptr));
    EXPECT_EQ(returned, 2u);
    EXPECT_EQ(std::string(output, 4), "OUTx");  // no more than the output size
    auto calls = fake.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].ioControlCode, 0x2D1080u);
    EXPECT_EQ(calls[0].input, "IN");
    EXPECT_EQ(calls[0].size, 2u);
    EXPECT_EQ(calls[0].outSize, 3u);
    EXPECT_EQ(calls[0].buffer, output);
}

TEST(RawCallRouting, DirectRouteBehavesAsWin32) {
    RouteFlag direct(0);
    TempDir dir;
    std::wstring path = dir.WFile("drive.bin");
    HANDLE h = RawCreateFile(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::string sector(1024, 'a');
    sector.replace(512, 512, std::string(512, 'b'));
    DWORD done = 0;
    ASSERT_TRUE(RawWriteFile(h, sector.data(), 1024, &done, nullptr));
    EXPECT_EQ(done, 1024u);
    EXPECT_EQ(RawSetFilePointer(h, 512, nullptr, FILE_BEGIN), 512u);
    char back[512] = {};
    ASSERT_TRUE(RawReadFile(h, back, 512, &done, nullptr));
    EXPECT_EQ(std::string(back, 512), std::string(512, 'b'));
    // With a high part, Win32 hands the new high part back.
    LONG high = 1;
    EXPECT_EQ(RawSetFilePointer(h, 16, &high, FILE_BEGIN), 16u);
    EXPECT_EQ(high, 1);
    EXPECT_TRUE(RawCloseHandle(h));
    EXPECT_EQ(ReadWholeFile(dir.File("drive.bin")), sector);

    SetLastError(0);
    EXPECT_EQ(RawCreateFile(dir.WFile("missing.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(RawCallRouting, ServiceRouteGoesToTheChannel) {
    RouteFlag service(1);
    // Not connected: only the channel answers like this.
    SetLastError(0);
    EXPECT_EQ(RawCreateFile(L"\\\\.\\E:", GENERIC_READ, 7, nullptr, OPEN_EXISTING, 0x80, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
}

TEST(RawCallRouting, RemovingTheFakeRestoresTheRoute) {
    RouteFlag direct(0);
    {
        FakeRawCalls fake;
        EXPECT_TRUE(RawCloseHandle(Fake(0x1234)));  // the fake's default answer
    }
    SetLastError(0);
    EXPECT_FALSE(RawCloseHandle(Fake(0x1234)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}
