// The program's client connected to the service's real request worker, played by a thread of the
// test process on names of its own, with a scratch volume the hardened service agrees to open.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "disk/environment.h"
#include "disk/raw_calls.h"
#include "disk/service_client.h"
#include "in_process_service.h"
#include "scratch_volume.h"

// Room for block 2 and for the largest transfer the channel carries.
constexpr uint32_t kScratchVolumeBytes = 4 * 1024 * 1024;

class ServiceChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedRoute_ = environmentInfo.useDiskService;
        environmentInfo.useDiskService = 1;
        ASSERT_TRUE(service_.ok());
        if (!volume_.ok()) GTEST_SKIP() << volume_.failure();
        ASSERT_TRUE(ConnectDiskService(GetCurrentProcess()));
        InProcessService::ClearDebugTexts();
    }
    void TearDown() override {
        DisconnectDiskService(GetCurrentProcess());
        environmentInfo.useDiskService = savedRoute_;
    }

    // The volume through the channel, as the program opens a drive.
    HANDLE OpenVolume(DWORD access = GENERIC_READ | GENERIC_WRITE) {
        return RawCreateFile(volume_.devicePath().c_str(), access, 7, nullptr, OPEN_EXISTING, 0x20000080, nullptr);
    }
    // The same volume opened by the test itself, for comparing with what Win32 says.
    HANDLE OpenVolumeDirectly(DWORD access = GENERIC_READ | GENERIC_WRITE) {
        return CreateFileW(volume_.devicePath().c_str(), access, 7, nullptr, OPEN_EXISTING, 0x20000080, nullptr);
    }
    // How many requests reached the worker so far.
    static size_t RequestsServed() {
        size_t n = 0;
        for (const std::string& text : InProcessService::DebugTexts()) {
            n += text.rfind("pSvcFDDComm ", 0) == 0;
        }
        return n;
    }

    InProcessService service_;
    ScratchVolume volume_{kScratchVolumeBytes};
    int32_t savedRoute_ = 0;
};

// Test bytes that differ from offset to offset and from sector to sector.
inline std::string Pattern(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + seed + (i >> 9)) & 0xFF);
    }
    return bytes;
}
