// The client against a service that answers every request with counts larger than anything asked
// for: the client never copies more than the caller's buffer holds.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>

#include "disk/environment.h"
#include "disk/raw_calls.h"
#include "disk/service_channel.h"
#include "disk/service_client.h"
#include "service/channel_objects.h"

namespace {

std::atomic<bool> responderRunning{false};
bool ResponderRunning() {
    return responderRunning;
}

class LyingService : public ::testing::Test {
protected:
    void SetUp() override {
        names_ = {L"Global\\SlotwiseLyingMapping-" + std::to_wstring(GetCurrentProcessId()),
                  L"Global\\SlotwiseLyingRequest-" + std::to_wstring(GetCurrentProcessId()),
                  L"Global\\SlotwiseLyingResponse-" + std::to_wstring(GetCurrentProcessId()), L"none"};
        ASSERT_TRUE(CreateChannelObjects(names_, &objects_));
        stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        responderRunning = true;
        thread_ = CreateThread(nullptr, 0, Respond, this, 0, nullptr);
        UseServiceChannelNames(names_);
        UseServiceAliveCheck(ResponderRunning);
        savedRoute_ = environmentInfo.useDiskService;
        environmentInfo.useDiskService = 1;
        ASSERT_TRUE(ConnectDiskService(GetCurrentProcess()));
    }
    void TearDown() override {
        DisconnectDiskService(GetCurrentProcess());
        environmentInfo.useDiskService = savedRoute_;
        if (thread_) {
            SetEvent(stop_);
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
        }
        responderRunning = false;
        UseServiceChannelNames(DiskServiceNames());
        UseServiceAliveCheck(nullptr);
        if (stop_) CloseHandle(stop_);
        CloseChannelObjects(&objects_);
    }

    // Every answer: success, the data area full of 'L', and every count at its largest.
    static DWORD WINAPI Respond(void* p) {
        auto* self = static_cast<LyingService*>(p);
        HANDLE waits[2] = {self->stop_, self->objects_.request};
        while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
            uint8_t* block = self->objects_.block;
            uint32_t command = LoadBlock32(block, kSvcCommand);
            StoreBlock32(block, kSvcResult, 1);
            StoreBlock32(block, kSvcLastError, 0);
            uint32_t dataOffset = command == SVCFDD_DEVICEIOCONTROL ? kSvcIoctlData : kSvcIoData;
            std::memset(block + dataOffset, 'L', kServiceDataSize);
            if (command == SVCFDD_DEVICEIOCONTROL) {
                StoreBlock32(block, kSvcIoctlReturned, 0xFFFFFFFF);
            } else {
                StoreBlock32(block, kSvcIoDone, 0xFFFFFFFF);
            }
            SetEvent(self->objects_.response);
        }
        return 0;
    }

    ServiceChannelNames names_;
    ChannelObjects objects_;
    HANDLE stop_ = nullptr;
    HANDLE thread_ = nullptr;
    int32_t savedRoute_ = 0;
};

HANDLE AnyHandle() {
    return reinterpret_cast<HANDLE>(0x40);
}

}  // namespace

TEST_F(LyingService, ReadCopiesNoMoreThanWasAskedFor) {
    std::string buffer(64, 'g');
    DWORD count = 0;
    EXPECT_TRUE(RawReadFile(AnyHandle(), &buffer[0], 16, &count, nullptr));
    EXPECT_EQ(count, 16u);
    EXPECT_EQ(buffer, std::string(16, 'L') + std::string(48, 'g'));
}

TEST_F(LyingService, DeviceControlCopiesNoMoreThanTheOutputSize) {
    std::string buffer(64, 'g');
    DWORD returned = 0;
    EXPECT_TRUE(RawDeviceIoControl(AnyHandle(), 0x2D1080, nullptr, 0, &buffer[0], 12, &returned, nullptr));
    EXPECT_EQ(returned, 12u);
    EXPECT_EQ(buffer, std::string(12, 'L') + std::string(52, 'g'));
    // No output buffer at all: nothing is copied anywhere.
    EXPECT_TRUE(RawDeviceIoControl(AnyHandle(), 0x00090018, nullptr, 0, nullptr, 0, &returned, nullptr));
    EXPECT_EQ(returned, 0u);
}
