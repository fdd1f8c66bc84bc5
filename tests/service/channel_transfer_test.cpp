// The channel end to end in one process: the program's raw calls carried out by the service's real
// request worker on a scratch volume.
#include <cstdio>

#include "channel_fixture.h"

TEST_F(ServiceChannelTest, CreateSeekWriteReadAndCloseReachTheVolume) {
    HANDLE h = OpenVolume();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::string sector = Pattern(512, 3);
    // Block-relative sector 0 of block 2 is drive byte 3,145,728.
    EXPECT_EQ(RawSetFilePointer(h, 3145728, nullptr, FILE_BEGIN), 3145728u);
    DWORD done = 0;
    ASSERT_TRUE(RawWriteFile(h, sector.data(), 512, &done, nullptr));
    EXPECT_EQ(done, 512u);
    EXPECT_EQ(RawSetFilePointer(h, 3145728, nullptr, FILE_BEGIN), 3145728u);
    char back[512] = {};
    ASSERT_TRUE(RawReadFile(h, back, 512, &done, nullptr));
    EXPECT_EQ(done, 512u);
    EXPECT_EQ(std::string(back, 512), sector);
    EXPECT_EQ(RawSetFilePointer(h, 0, nullptr, FILE_BEGIN), 0u);
    ASSERT_TRUE(RawReadFile(h, back, 512, &done, nullptr));
    EXPECT_EQ(std::string(back, volume_.marker().size()), volume_.marker());
    EXPECT_TRUE(RawCloseHandle(h));

    std::string image = ReadWholeFile(volume_.imageFile());
    ASSERT_EQ(image.size(), kScratchVolumeBytes);
    EXPECT_EQ(image.substr(3145728, 512), sector);
    EXPECT_EQ(image.substr(3145728 + 512, 512), std::string(512, '\0'));
}

TEST_F(ServiceChannelTest, LargestTransferIsCarriedWhole) {
    HANDLE h = OpenVolume();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::string data = Pattern(kServiceDataSize, 11);
    EXPECT_EQ(RawSetFilePointer(h, 1024, nullptr, FILE_BEGIN), 1024u);
    DWORD done = 0;
    ASSERT_TRUE(RawWriteFile(h, data.data(), kServiceDataSize, &done, nullptr));
    EXPECT_EQ(done, kServiceDataSize);
    EXPECT_EQ(RawSetFilePointer(h, 1024, nullptr, FILE_BEGIN), 1024u);
    std::string back(kServiceDataSize, '\0');
    ASSERT_TRUE(RawReadFile(h, &back[0], kServiceDataSize, &done, nullptr));
    EXPECT_EQ(done, kServiceDataSize);
    EXPECT_TRUE(back == data);
    EXPECT_TRUE(RawCloseHandle(h));
    EXPECT_TRUE(ReadWholeFile(volume_.imageFile()).substr(1024, kServiceDataSize) == data);
}

TEST_F(ServiceChannelTest, ReadPastTheEndReportsWhatTheServiceRead) {
    HANDLE h = OpenVolume();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RawSetFilePointer(h, kScratchVolumeBytes - 512, nullptr, FILE_BEGIN), kScratchVolumeBytes - 512);
    std::string back(1024, 'x');
    DWORD done = 0;
    ASSERT_TRUE(RawReadFile(h, &back[0], 1024, &done, nullptr));
    EXPECT_EQ(done, 512u);
    EXPECT_EQ(back.substr(0, 512), std::string(512, '\0'));
    EXPECT_EQ(back.substr(512), std::string(512, 'x'));  // nothing copied beyond what was read
    EXPECT_TRUE(RawCloseHandle(h));
}

TEST_F(ServiceChannelTest, HighPartOfASeekIsNotPassedBack) {
    HANDLE h = OpenVolume();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LONG high = 1;
    EXPECT_EQ(RawSetFilePointer(h, 512, &high, FILE_BEGIN), 512u);
    // The service moved to 8 GiB + 512 and wrote the high part 2 into the block; the caller keeps 1.
    EXPECT_EQ(RawSetFilePointer(h, 0, &high, FILE_CURRENT), 512u);
    EXPECT_EQ(high, 1);
    // Without a high part the seek is a 32-bit one.
    EXPECT_EQ(RawSetFilePointer(h, 4096, nullptr, FILE_BEGIN), 4096u);
    char back[512];
    DWORD done = 0;
    ASSERT_TRUE(RawReadFile(h, back, 512, &done, nullptr));
    EXPECT_EQ(done, 512u);
    EXPECT_TRUE(RawCloseHandle(h));
}

TEST_F(ServiceChannelTest, DeviceControlIsAnsweredAsWin32AnswersIt) {
    HANDLE h = OpenVolume();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    HANDLE direct = OpenVolumeDirectly(GENERIC_READ);
    ASSERT_NE(direct, INVALID_HANDLE_VALUE);
    // Device number: whatever the system says to the test directly, the service says through the channel.
    unsigned char number[12] = {};
    unsigned char directNumber[12] = {};
    DWORD returned = 99;
    DWORD directReturned = 0;
    BOOL result = RawDeviceIoControl(h, 0x2D1080, nullptr, 0, number, sizeof(number), &returned, nullptr);
    DWORD error = GetLastError();
    BOOL directResult =
        DeviceIoControl(direct, 0x2D1080, nullptr, 0, directNumber, sizeof(directNumber), &directReturned, nullptr);
    DWORD directError = GetLastError();
    EXPECT_EQ(result != FALSE, directResult != FALSE) << error << " / " << directError;
    if (result) {
        EXPECT_EQ(returned, directReturned);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(number), returned),
                  std::string(reinterpret_cast<char*>(directNumber), directReturned));
    } else {
        EXPECT_EQ(error, directError);
    }
    CloseHandle(direct);

    // Output size 0: nothing comes back into the buffer, and the count is the service's.
    unsigned char untouched[4] = {0xAB, 0xAB, 0xAB, 0xAB};
    returned = 99;
    EXPECT_TRUE(RawDeviceIoControl(h, 0x00090018, nullptr, 0, untouched, 0, &returned, nullptr));
    EXPECT_EQ(returned, 0u);
    EXPECT_EQ(untouched[0], 0xAB);
    EXPECT_EQ(untouched[3], 0xAB);
    EXPECT_TRUE(RawCloseHandle(h));
}

TEST_F(ServiceChannelTest, WorkerWritesItsDebugTexts) {
    HANDLE h = OpenVolume(GENERIC_READ);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    char back[512];
    DWORD done = 0;
    ASSERT_TRUE(RawReadFile(h, back, 512, &done, nullptr));
    ASSERT_TRUE(RawCloseHandle(h));

    unsigned value = static_cast<unsigned>(reinterpret_cast<uintptr_t>(h));
    unsigned block = static_cast<unsigned>(reinterpret_cast<uintptr_t>(service_.block()));
    char text[256];
    std::vector<std::string> expected;
    std::string path(volume_.devicePath().begin(), volume_.devicePath().end());
    std::snprintf(text, sizeof(text), "pSvcFDDComm %X ,command %d", block, 7);
    expected.push_back(text);
    expected.push_back(">>SVCFDD_CREATEFILE " + path + "\n");
    std::snprintf(text, sizeof(text), "<<SVCFDD_CREATEFILE %d\n", static_cast<int>(value));
    expected.push_back(text);
    std::snprintf(text, sizeof(text), "pSvcFDDComm %X ,command %d", block, 10);
    expected.push_back(text);
    std::snprintf(text, sizeof(text), "SVCFDD_READFILE:%X-%X-%X-%X", value, 512u, 512u, 0u);
    expected.push_back(text);
    std::snprintf(text, sizeof(text), "pSvcFDDComm %X ,command %d", block, 8);
    expected.push_back(text);
    std::snprintf(text, sizeof(text), "SVCFDD_CLOSEHANDLE hObject=%X", value);
    expected.push_back(text);
    EXPECT_EQ(InProcessService::DebugTexts(), expected);
}
