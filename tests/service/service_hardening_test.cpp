// The service's own checks, seen through the program's client: paths other than drives and volumes,
// handles it did not open, control codes the program never sends. Each refusal is answered with its
// error and the service goes on serving.
#include <windows.h>

#include <ntddscsi.h>

#include <cstring>

#include "channel_fixture.h"
#include "service/request_checks.h"

namespace {

// SCSI pass-through header followed by an 8-byte data area, as drive discovery sends it.
std::string PassThrough(unsigned char operation) {
    SCSI_PASS_THROUGH header = {};
    header.Length = sizeof(SCSI_PASS_THROUGH);
    header.TargetId = 1;
    header.CdbLength = 10;
    header.DataIn = SCSI_IOCTL_DATA_IN;
    header.DataTransferLength = 8;
    header.TimeOutValue = 2;
    header.DataBufferOffset = sizeof(SCSI_PASS_THROUGH);
    header.Cdb[0] = operation;
    std::string bytes(sizeof(header) + 8, '\0');
    std::memcpy(&bytes[0], &header, sizeof(header));
    return bytes;
}

}  // namespace

TEST_F(ServiceChannelTest, CreateFileOpensOnlyDrivesAndVolumes) {
    std::string imageFile = volume_.imageFile();
    std::wstring imagePath(imageFile.begin(), imageFile.end());
    const std::wstring refused[] = {
        imagePath,
        L"C:\\windows\\win.ini",
        L"\\\\.\\PHYSICALDRIVE",
        L"\\\\.\\PHYSICALDRIVE1\\..\\..\\C:",
        L"\\\\.\\C:\\windows",
        L"\\\\?\\C:",
        L"\\\\.\\pipe\\slotwise",
        L"\\\\.\\GLOBALROOT\\Device\\HarddiskVolume1",
        L"\\\\.\\CDROM0",
    };
    size_t served = RequestsServed();
    for (const std::wstring& path : refused) {
        SetLastError(0);
        EXPECT_EQ(RawCreateFile(path.c_str(), GENERIC_READ, 7, nullptr, OPEN_EXISTING, 0x80, nullptr),
                  INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    EXPECT_EQ(RequestsServed(), served + sizeof(refused) / sizeof(refused[0]));
    HANDLE h = OpenVolume();
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(RawCloseHandle(h));
}

TEST_F(ServiceChannelTest, OverlappedOpensAreRefused) {
    EXPECT_EQ(RawCreateFile(volume_.devicePath().c_str(), GENERIC_READ, 7, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(ServiceChannelTest, HandlesTheServiceDidNotOpenAreRefused) {
    // A handle of the process the worker runs in, but not one the channel opened.
    HANDLE foreign = OpenVolumeDirectly(GENERIC_READ);
    ASSERT_NE(foreign, INVALID_HANDLE_VALUE);
    char buffer[512];
    DWORD count = 77;
    EXPECT_FALSE(RawReadFile(foreign, buffer, 512, &count, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(count, 0u);
    count = 77;
    EXPECT_FALSE(RawWriteFile(foreign, buffer, 512, &count, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(RawSetFilePointer(foreign, 512, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    count = 77;
    EXPECT_FALSE(RawDeviceIoControl(foreign, 0x00090018, nullptr, 0, nullptr, 0, &count, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(count, 0u);
    EXPECT_FALSE(RawCloseHandle(foreign));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    // Nothing was done to it: it still reads from the start of the volume.
    ASSERT_TRUE(ReadFile(foreign, buffer, 512, &count, nullptr));
    EXPECT_EQ(std::string(buffer, volume_.marker().size()), volume_.marker());
    CloseHandle(foreign);

    // Nor any small handle value of that process: the channel objects among them stay open.
    for (uintptr_t value = 4; value <= 0x400; value += 4) {
        ASSERT_FALSE(RawCloseHandle(reinterpret_cast<HANDLE>(value))) << value;
        ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE)) << value;
    }
    HANDLE h = OpenVolume();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(RawReadFile(h, buffer, 512, &count, nullptr));
    EXPECT_EQ(std::string(buffer, volume_.marker().size()), volume_.marker());
    EXPECT_TRUE(RawCloseHandle(h));
    // Once closed, the handle is no longer the service's.
    EXPECT_FALSE(RawReadFile(h, buffer, 512, &count, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(RawCloseHandle(h));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(ServiceChannelTest, OnlyTheProgramsControlCodesAreSent) {
    HANDLE h = OpenVolume();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    const DWORD refused[] = {
        0x0009001C,  // FSCTL_UNLOCK_VOLUME
        0x000900C4,  // FSCTL_SET_SPARSE
        0x0007C054,  // IOCTL_DISK_SET_DRIVE_LAYOUT_EX
        0x0004D014,  // IOCTL_SCSI_PASS_THROUGH_DIRECT
        0x0007C0F8,  // IOCTL_DISK_DELETE_DRIVE_LAYOUT
    };
    unsigned char buffer[64] = {};
    for (DWORD code : refused) {
        DWORD returned = 77;
        EXPECT_FALSE(RawDeviceIoControl(h, code, buffer, 16, buffer, sizeof(buffer), &returned, nullptr)) << code;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << code;
        EXPECT_EQ(returned, 0u);
    }
    // A pass-through of anything but READ CAPACITY (10) is refused too: here WRITE (10).
    std::string write10 = PassThrough(0x2A);
    DWORD returned = 77;
    EXPECT_FALSE(RawDeviceIoControl(h, kIoctlScsiPassThrough, &write10[0], sizeof(SCSI_PASS_THROUGH), &write10[0],
                                    static_cast<DWORD>(write10.size()), &returned, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    // READ CAPACITY (10) reaches the device, which answers the service as it answers the test directly.
    std::string capacity = PassThrough(0x25);
    BOOL result = RawDeviceIoControl(h, kIoctlScsiPassThrough, &capacity[0], sizeof(SCSI_PASS_THROUGH), &capacity[0],
                                     static_cast<DWORD>(capacity.size()), &returned, nullptr);
    DWORD error = GetLastError();
    HANDLE direct = OpenVolumeDirectly();
    ASSERT_NE(direct, INVALID_HANDLE_VALUE);
    std::string directCapacity = PassThrough(0x25);
    DWORD directReturned = 0;
    BOOL directResult =
        DeviceIoControl(direct, kIoctlScsiPassThrough, &directCapacity[0], sizeof(SCSI_PASS_THROUGH),
                        &directCapacity[0], static_cast<DWORD>(directCapacity.size()), &directReturned, nullptr);
    DWORD directError = GetLastError();
    CloseHandle(direct);
    EXPECT_EQ(result != FALSE, directResult != FALSE);
    if (!result) {
        EXPECT_EQ(error, directError);
    }
    EXPECT_NE(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));

    // And the lock the program sends is carried out.
    EXPECT_TRUE(RawDeviceIoControl(h, 0x00090018, nullptr, 0, nullptr, 0, &returned, nullptr));
    EXPECT_TRUE(RawCloseHandle(h));
}

TEST_F(ServiceChannelTest, ServiceKeepsOnlyAFewHandlesForClients) {
    std::vector<HANDLE> open;
    for (int i = 0; i < 64; ++i) {
        HANDLE h = OpenVolume(GENERIC_READ);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << i;
        open.push_back(h);
    }
    EXPECT_EQ(OpenVolume(GENERIC_READ), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TOO_MANY_OPEN_FILES));
    EXPECT_TRUE(RawCloseHandle(open.back()));
    open.pop_back();
    HANDLE h = OpenVolume(GENERIC_READ);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    open.push_back(h);
    for (HANDLE each : open) {
        EXPECT_TRUE(RawCloseHandle(each));
    }
}
