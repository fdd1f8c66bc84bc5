// The request worker driven by a client that ignores the program's rules: the test writes the shared
// block itself. Covers what the program's client never sends: unknown commands, sizes above the data
// area, the high part of a seek, unterminated paths and device notifications.
#include <windows.h>

#include <dbt.h>
#include <gtest/gtest.h>

#include <cstring>

#include "disk/service_channel.h"
#include "in_process_service.h"
#include "scratch_volume.h"

namespace {

constexpr uint32_t kSentinel = 0x5A5A5A5A;

class RequestWorkerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(service_.ok()); }

    uint8_t* block() { return service_.block(); }
    uint32_t Field(uint32_t offset) { return LoadBlock32(block(), offset); }
    void Set(uint32_t offset, uint32_t value) { StoreBlock32(block(), offset, value); }

    // Sends `command` with the result and last-error fields set to a sentinel.
    void Send(uint32_t command) {
        Set(kSvcCommand, command);
        Set(kSvcResult, kSentinel);
        Set(kSvcLastError, kSentinel);
        ASSERT_TRUE(service_.SendRaw()) << "no answer to command " << command;
    }

    uint32_t OpenVolume(const ScratchVolume& volume) {
        const std::wstring& path = volume.devicePath();
        std::memset(block() + kSvcCreatePath, 0, kSvcCreatePathChars * 2);
        std::memcpy(block() + kSvcCreatePath, path.c_str(), path.size() * 2);
        Set(kSvcCreateAccess, GENERIC_READ | GENERIC_WRITE);
        Set(kSvcCreateShare, 7);
        Set(kSvcCreateDisposition, OPEN_EXISTING);
        Set(kSvcCreateFlags, FILE_ATTRIBUTE_NORMAL);
        Send(SVCFDD_CREATEFILE);
        return Field(kSvcResult);
    }

    InProcessService service_;
};

// A message-only window on the test thread that counts the device-change messages it receives.
class CountingWindow {
public:
    CountingWindow() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"SlotwiseDeviceChangeCounter";
        RegisterClassW(&wc);
        window_ = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        deviceChanges = 0;
    }
    ~CountingWindow() { DestroyWindow(window_); }
    HWND get() const { return window_; }

    // Dispatches what is queued, waiting up to `ms` for the first device change.
    void Pump(DWORD ms) {
        DWORD start = GetTickCount();
        MSG msg;
        for (;;) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&msg);
            }
            if (deviceChanges > 0 || GetTickCount() - start > ms) return;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
    }

    static int deviceChanges;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_DEVICECHANGE && wParam == 0 && lParam == 0) ++deviceChanges;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    HWND window_;
};
int CountingWindow::deviceChanges = 0;

}  // namespace

TEST_F(RequestWorkerTest, CommandsOutsideSevenToFourteenAreAnsweredAndChangeNothing) {
    for (uint32_t command : {0u, 1u, 6u, 15u, 16u, 17u, 99u, 0xFFFFFFFFu}) {
        Set(kSvcHandle, 0x44);
        Send(command);
        EXPECT_EQ(Field(kSvcResult), kSentinel) << command;
        EXPECT_EQ(Field(kSvcLastError), kSentinel) << command;
        EXPECT_EQ(Field(kSvcHandle), 0x44u) << command;
    }
}

TEST_F(RequestWorkerTest, SizesAreCheckedWhateverTheClientSends) {
    ScratchVolume volume(1024 * 1024);
    if (!volume.ok()) GTEST_SKIP() << volume.failure();
    uint32_t handle = OpenVolume(volume);
    ASSERT_NE(handle, 0xFFFFFFFFu);
    for (uint32_t command : {SVCFDD_READFILE, SVCFDD_WRITEFILE}) {
        Set(kSvcHandle, handle);
        Set(kSvcIoCount, kServiceDataSize + 1);
        Set(kSvcIoDone, 77);
        Send(command);
        EXPECT_EQ(Field(kSvcResult), 0u) << command;
        EXPECT_EQ(Field(kSvcLastError), static_cast<uint32_t>(ERROR_NOT_ENOUGH_MEMORY)) << command;
        EXPECT_EQ(Field(kSvcIoDone), 0u) << command;
    }
    for (uint32_t sizeField : {kSvcIoctlInSize, kSvcIoctlOutSize}) {
        Set(kSvcHandle, handle);
        Set(kSvcIoctlCode, 0x2D1400);
        Set(kSvcIoctlInSize, 12);
        Set(kSvcIoctlOutSize, 64);
        Set(sizeField, 0xFFFFFFFF);
        Set(kSvcIoctlReturned, 77);
        Send(SVCFDD_DEVICEIOCONTROL);
        EXPECT_EQ(Field(kSvcResult), 0u);
        EXPECT_EQ(Field(kSvcLastError), static_cast<uint32_t>(ERROR_NOT_ENOUGH_MEMORY));
        EXPECT_EQ(Field(kSvcIoctlReturned), 0u);
    }
    // Still serving: a read of one sector.
    Set(kSvcHandle, handle);
    Set(kSvcIoCount, 512);
    Send(SVCFDD_READFILE);
    EXPECT_EQ(Field(kSvcResult), 1u);
    EXPECT_EQ(Field(kSvcIoDone), 512u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block() + kSvcIoData), volume.marker().size()), volume.marker());
}

TEST_F(RequestWorkerTest, SeekWithAHighPartWritesTheNewHighPartBack) {
    ScratchVolume volume(1024 * 1024);
    if (!volume.ok()) GTEST_SKIP() << volume.failure();
    uint32_t handle = OpenVolume(volume);
    ASSERT_NE(handle, 0xFFFFFFFFu);
    struct Step {
        uint32_t low, high, method, result, newHigh;
    } steps[] = {
        {512, 0, FILE_BEGIN, 512, 0},         // a 32-bit seek: the high field stays 0
        {0xFFFFFE00, 0, FILE_CURRENT, 0, 0},  // -512 from 512
        {512, 1, FILE_BEGIN, 512, 1},         // 4 GiB + 512
        {0, 1, FILE_CURRENT, 512, 2},         // 8 GiB + 512: the new high part comes back
    };
    for (const Step& s : steps) {
        Set(kSvcHandle, handle);
        Set(kSvcSeekLow, s.low);
        Set(kSvcSeekHigh, s.high);
        Set(kSvcSeekMethod, s.method);
        Send(SVCFDD_SETFILEPOINTER);
        EXPECT_EQ(Field(kSvcResult), s.result) << s.low << "/" << s.high;
        EXPECT_EQ(Field(kSvcSeekHigh), s.newHigh) << s.low << "/" << s.high;
    }
}

TEST_F(RequestWorkerTest, UnterminatedPathIsRefused) {
    for (uint32_t i = 0; i < kSvcCreatePathChars; ++i) {
        block()[kSvcCreatePath + 2 * i] = 'A';
        block()[kSvcCreatePath + 2 * i + 1] = 0;
    }
    Set(kSvcCreateAccess, GENERIC_READ);
    Set(kSvcCreateDisposition, OPEN_EXISTING);
    Send(SVCFDD_CREATEFILE);
    EXPECT_EQ(Field(kSvcResult), 0xFFFFFFFFu);
    EXPECT_EQ(Field(kSvcLastError), static_cast<uint32_t>(ERROR_ACCESS_DENIED));
}

TEST_F(RequestWorkerTest, RegisteringDeviceNotificationsPostsOneDeviceChange) {
    CountingWindow window;
    ASSERT_NE(window.get(), nullptr);
    DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = {0x53F5630D, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
    static_assert(sizeof(filter) == kSvcNotifyFilterSize, "the block carries the whole filter");
    std::memcpy(block() + kSvcNotifyFilter, &filter, sizeof(filter));
    Set(kSvcNotifyWindow, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window.get())));
    Set(kSvcNotifyFlags, 0);
    Send(SVCFDD_REGDEVNOTIFY);
    uint32_t notification = Field(kSvcResult);
    EXPECT_NE(notification, 0u) << "error " << Field(kSvcLastError);
    window.Pump(5000);
    EXPECT_EQ(CountingWindow::deviceChanges, 1);

    Set(kSvcHandle, notification);
    Send(SVCFDD_UNREGDEVNOTIFY);
    EXPECT_EQ(Field(kSvcResult), 1u);
    // Only notifications it registered, and only once.
    Send(SVCFDD_UNREGDEVNOTIFY);
    EXPECT_EQ(Field(kSvcResult), 0u);
    EXPECT_EQ(Field(kSvcLastError), static_cast<uint32_t>(ERROR_INVALID_HANDLE));
}

TEST_F(RequestWorkerTest, NotificationRequestsThatReachBeyondTheFilterAreRefused) {
    CountingWindow window;
    DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
    filter.dbcc_size = 64;  // more than the block carries
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    std::memcpy(block() + kSvcNotifyFilter, &filter, sizeof(filter));
    Set(kSvcNotifyWindow, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window.get())));
    Set(kSvcNotifyFlags, 0);
    Send(SVCFDD_REGDEVNOTIFY);
    EXPECT_EQ(Field(kSvcResult), 0u);
    EXPECT_EQ(Field(kSvcLastError), static_cast<uint32_t>(ERROR_INVALID_PARAMETER));

    filter.dbcc_size = sizeof(filter);
    std::memcpy(block() + kSvcNotifyFilter, &filter, sizeof(filter));
    Set(kSvcNotifyFlags, DEVICE_NOTIFY_SERVICE_HANDLE);
    Send(SVCFDD_REGDEVNOTIFY);
    EXPECT_EQ(Field(kSvcResult), 0u);
    EXPECT_EQ(Field(kSvcLastError), static_cast<uint32_t>(ERROR_INVALID_PARAMETER));
    window.Pump(0);
    EXPECT_EQ(CountingWindow::deviceChanges, 0);
}
