// Opening a USB stick raw on Windows 5 and 6: the calls made and their order, the cleanup after
// every failure, closing, and sector transfers whose buffers, offsets and sizes all suit an
// unbuffered drive.
#include "disk/usb_drive.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "disk/environment.h"
#include "disk/record_drive.h"
#include "disk/sector_access.h"
#include "disk/system_error.h"
#include "fake_usb_sticks.h"

namespace {

constexpr DWORD kLock = 0x00090018;
constexpr DWORD kDismount = 0x00090020;

class WindowsVersion {
public:
    explicit WindowsVersion(uint32_t major) : saved_(environmentInfo.osMajorVersion) {
        environmentInfo.osMajorVersion = major;
    }
    ~WindowsVersion() { environmentInfo.osMajorVersion = saved_; }

private:
    uint32_t saved_;
};

FakeStick Stick() {
    FakeStick s;
    s.deviceNumber = 3;
    return s;
}

void ExpectPhysicalDriveOpen(const RawCallRecord& call) {
    EXPECT_EQ(call.call, RawCall::CreateFile);
    EXPECT_EQ(call.path, L"\\\\.\\PHYSICALDRIVE3");
    EXPECT_EQ(call.access, static_cast<DWORD>(GENERIC_READ | GENERIC_WRITE));
    EXPECT_EQ(call.share, 0u);
    EXPECT_FALSE(call.securityGiven);
    EXPECT_EQ(call.disposition, static_cast<DWORD>(OPEN_EXISTING));
    EXPECT_EQ(call.flags, 0x20000080u);
    EXPECT_EQ(call.templateFile, nullptr);
}

void ExpectVolumeControl(const RawCallRecord& call, DWORD code, HANDLE volume) {
    EXPECT_EQ(call.call, RawCall::DeviceIoControl);
    EXPECT_EQ(call.ioControlCode, code);
    EXPECT_EQ(call.handle, volume);
    EXPECT_EQ(call.size, 0u);
    EXPECT_EQ(call.outSize, 0u);
    EXPECT_TRUE(call.input.empty());
    EXPECT_EQ(call.buffer, nullptr);
    EXPECT_FALSE(call.overlappedGiven);
}

// An aligned buffer of the size of one slot, as the program's own block image is.
struct AlignedBuffer {
    AlignedBuffer() : data(static_cast<uint8_t*>(_aligned_malloc(kBlockImageSize + 4096, 4096))) {}
    ~AlignedBuffer() { _aligned_free(data); }
    uint8_t* data;
};

std::string Pattern(size_t bytes, char seed) {
    std::string s(bytes, '\0');
    for (size_t i = 0; i < bytes; ++i)
        s[i] = static_cast<char>(seed + i * 7 + i / 512);
    return s;
}

}  // namespace

TEST(OpenDrive, OnWindows5OnlyThePhysicalDriveIsOpened) {
    WindowsVersion xp(5);
    FakeUsbSticks sticks;
    sticks.Add(Stick());
    UsbDrive drive;
    ASSERT_TRUE(drive.OpenDrive(3, L"E:"));
    auto calls = sticks.Calls();
    ASSERT_EQ(calls.size(), 1u);
    ExpectPhysicalDriveOpen(calls[0]);
    EXPECT_EQ(drive.driveNumber(), 3);
    EXPECT_EQ(drive.volumeHandle(), INVALID_HANDLE_VALUE);
    EXPECT_NE(drive.driveHandle(), INVALID_HANDLE_VALUE);

    drive.CloseDrive();
    calls = sticks.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].call, RawCall::CloseHandle);
    EXPECT_EQ(sticks.OpenHandles(), 0u);
    EXPECT_EQ(drive.driveHandle(), INVALID_HANDLE_VALUE);
}

TEST(OpenDrive, OnWindows6TheVolumeIsOpenedLockedAndDismountedFirst) {
    WindowsVersion vista(6);
    FakeUsbSticks sticks;
    sticks.Add(Stick());
    UsbDrive drive;
    ASSERT_TRUE(drive.OpenDrive(3, L"E:"));
    auto calls = sticks.Calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].call, RawCall::CreateFile);
    EXPECT_EQ(calls[0].path, L"\\\\.\\E:");
    EXPECT_EQ(calls[0].access, static_cast<DWORD>(GENERIC_READ | GENERIC_WRITE));
    EXPECT_EQ(calls[0].share, 7u);
    EXPECT_FALSE(calls[0].securityGiven);
    EXPECT_EQ(calls[0].disposition, static_cast<DWORD>(OPEN_EXISTING));
    EXPECT_EQ(calls[0].flags, static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    HANDLE volume = drive.volumeHandle();
    ASSERT_NE(volume, INVALID_HANDLE_VALUE);
    ExpectVolumeControl(calls[1], kLock, volume);
    ExpectVolumeControl(calls[2], kDismount, volume);
    ExpectPhysicalDriveOpen(calls[3]);

    // The volume stays held until the drive is closed: volume first, then the drive.
    HANDLE physical = drive.driveHandle();
    drive.CloseDrive();
    calls = sticks.Calls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[4].call, RawCall::CloseHandle);
    EXPECT_EQ(calls[4].handle, volume);
    EXPECT_EQ(calls[5].call, RawCall::CloseHandle);
    EXPECT_EQ(calls[5].handle, physical);
    EXPECT_EQ(drive.volumeHandle(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(drive.driveHandle(), INVALID_HANDLE_VALUE);
}

TEST(OpenDrive, LaterWindowsBehaveAsWindows6) {
    WindowsVersion ten(10);
    FakeUsbSticks sticks;
    sticks.Add(Stick());
    UsbDrive drive;
    ASSERT_TRUE(drive.OpenDrive(3, L"E:"));
    EXPECT_EQ(OpenedPaths(sticks.Calls()), (std::vector<std::wstring>{L"\\\\.\\E:", L"\\\\.\\PHYSICALDRIVE3"}));
}

TEST(OpenDrive, ARefusedLockIsNoError) {
    WindowsVersion vista(6);
    FakeUsbSticks sticks;
    FakeStick stick = Stick();
    stick.lockError = ERROR_ACCESS_DENIED;  // someone has a file open on the volume
    sticks.Add(stick);
    UsbDrive drive;
    EXPECT_TRUE(drive.OpenDrive(3, L"E:"));
    auto controls = CallsOf(sticks.Calls(), RawCall::DeviceIoControl);
    ASSERT_EQ(controls.size(), 2u);
    EXPECT_EQ(controls[1].ioControlCode, kDismount);
}

TEST(OpenDrive, AFailedDismountClosesTheVolumeAndKeepsItsError) {
    WindowsVersion vista(6);
    FakeUsbSticks sticks;
    FakeStick stick = Stick();
    stick.dismountError = ERROR_ACCESS_DENIED;
    sticks.Add(stick);
    UsbDrive drive;
    EXPECT_FALSE(drive.OpenDrive(3, L"E:"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    auto calls = sticks.Calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[3].call, RawCall::CloseHandle);
    EXPECT_EQ(calls[3].handle, calls[1].handle);
    EXPECT_EQ(OpenedPaths(calls), std::vector<std::wstring>{L"\\\\.\\E:"});
    EXPECT_EQ(drive.volumeHandle(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(drive.driveHandle(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(sticks.OpenHandles(), 0u);
}

TEST(OpenDrive, AVolumeThatCannotBeOpenedStopsEverything) {
    WindowsVersion vista(6);
    FakeUsbSticks sticks;
    FakeStick stick = Stick();
    stick.openError = ERROR_FILE_NOT_FOUND;
    sticks.Add(stick);
    UsbDrive drive;
    EXPECT_FALSE(drive.OpenDrive(3, L"E:"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(sticks.Calls().size(), 1u);
    EXPECT_EQ(drive.volumeHandle(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(drive.driveHandle(), INVALID_HANDLE_VALUE);
}

TEST(OpenDrive, APhysicalDriveThatCannotBeOpenedReleasesTheVolume) {
    WindowsVersion vista(6);
    FakeUsbSticks sticks;
    FakeStick stick = Stick();
    stick.driveOpenError = ERROR_SHARING_VIOLATION;
    sticks.Add(stick);
    UsbDrive drive;
    EXPECT_FALSE(drive.OpenDrive(3, L"E:"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    auto calls = sticks.Calls();
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[4].call, RawCall::CloseHandle);
    EXPECT_EQ(calls[4].handle, calls[1].handle);  // the volume's handle, as the lock had it
    EXPECT_EQ(drive.volumeHandle(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(drive.driveHandle(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(sticks.OpenHandles(), 0u);
}

TEST(OpenDrive, OnWindows5AFailedOpenHasNothingToClose) {
    WindowsVersion xp(5);
    FakeUsbSticks sticks;
    FakeStick stick = Stick();
    stick.driveOpenError = ERROR_ACCESS_DENIED;
    sticks.Add(stick);
    UsbDrive drive;
    EXPECT_FALSE(drive.OpenDrive(3, L"E:"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(sticks.Calls().size(), 1u);
    EXPECT_EQ(drive.driveHandle(), INVALID_HANDLE_VALUE);
}

TEST(OpenDrive, TheDriveClosesWhenItGoesOutOfScope) {
    WindowsVersion vista(6);
    FakeUsbSticks sticks;
    sticks.Add(Stick());
    {
        UsbDrive drive;
        ASSERT_TRUE(drive.OpenDrive(3, L"E:"));
        EXPECT_EQ(sticks.OpenHandles(), 2u);
    }
    EXPECT_EQ(sticks.OpenHandles(), 0u);
}

TEST(OpenRecordDrive, AStickRecordIsOpenedByItsNumberAndLetter) {
    WindowsVersion vista(6);
    FakeUsbSticks sticks;
    sticks.Add(Stick());
    DriveRecord record;
    record.deviceNumber = 3;
    record.lastSector = 3940351;
    record.driveName = L"E:";
    record.deviceName = L"USB FlashDisk";
    std::unique_ptr<RawDrive> drive = OpenRecordDrive(record);
    ASSERT_NE(drive, nullptr);
    EXPECT_EQ(OpenedPaths(sticks.Calls()), (std::vector<std::wstring>{L"\\\\.\\E:", L"\\\\.\\PHYSICALDRIVE3"}));

    // A second open finds the drive held: the failure and its error come back.
    SetLastSystemError(0);
    EXPECT_EQ(OpenRecordDrive(record), nullptr);
    EXPECT_EQ(LastSystemError(), static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(IsDriveInUseError(LastSystemError()));
}

TEST(UsbDriveTransfer, ASectorIsReadAfterASeekOfTheLowPartFromTheStart) {
    WindowsVersion xp(5);
    FakeUsbSticks sticks;
    sticks.Add(Stick());
    sticks.WriteDisk(3, 3145728, Pattern(512, 'k'));
    UsbDrive drive;
    ASSERT_TRUE(drive.OpenDrive(3, L"E:"));
    AlignedBuffer buffer;
    uint32_t done = 0;
    ASSERT_TRUE(drive.ReadAt(3145728, buffer.data, 512, &done));
    EXPECT_EQ(done, 512u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data), 512), Pattern(512, 'k'));

    auto calls = sticks.Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[1].call, RawCall::SetFilePointer);
    EXPECT_EQ(calls[1].handle, drive.driveHandle());
    EXPECT_EQ(calls[1].distance, 3145728);
    EXPECT_FALSE(calls[1].highGiven);
    EXPECT_EQ(calls[1].moveMethod, static_cast<DWORD>(FILE_BEGIN));
    EXPECT_EQ(calls[2].call, RawCall::ReadFile);
    EXPECT_EQ(calls[2].handle, drive.driveHandle());
    EXPECT_EQ(calls[2].buffer, buffer.data);  // aligned: no copy in between
    EXPECT_EQ(calls[2].size, 512u);
    EXPECT_FALSE(calls[2].overlappedGiven);
}

TEST(UsbDriveTransfer, AWholeVolumeIsWrittenInOneCall) {
    WindowsVersion xp(5);
    FakeUsbSticks sticks;
    sticks.Add(Stick());
    UsbDrive drive;
    ASSERT_TRUE(drive.OpenDrive(3, L"E:"));
    AlignedBuffer buffer;
    std::string volume = Pattern(2880 * 512, 'v');
    std::memcpy(buffer.data, volume.data(), volume.size());
    uint32_t done = 0;
    ASSERT_TRUE(drive.WriteAt(3072 * 512, buffer.data, 2880 * 512, &done));
    EXPECT_EQ(done, 2880u * 512);
    auto writes = CallsOf(sticks.Calls(), RawCall::WriteFile);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].size, 2880u * 512);
    EXPECT_EQ(sticks.ReadDisk(3, 3072 * 512, 2880 * 512), volume);
}

TEST(UsbDriveTransfer, UnalignedBuffersGoThroughAnAlignedOne) {
    WindowsVersion xp(5);
    FakeUsbSticks sticks;
    sticks.Add(Stick());
    UsbDrive drive;
    ASSERT_TRUE(drive.OpenDrive(3, L"E:"));
    std::vector<uint8_t> storage(4 * 512 + 64);
    uint8_t* odd = storage.data() + 1;
    std::string data = Pattern(4 * 512, 'w');
    std::memcpy(odd, data.data(), data.size());
    uint32_t done = 0;
    ASSERT_TRUE(drive.WriteAt(1024, odd, 4 * 512, &done));
    EXPECT_EQ(done, 4u * 512);
    EXPECT_EQ(sticks.ReadDisk(3, 1024, 4 * 512), data);

    uint8_t* other = storage.data() + 3;
    std::memset(other, 0, 4 * 512);
    ASSERT_TRUE(drive.ReadAt(1024, other, 4 * 512, &done));
    EXPECT_EQ(done, 4u * 512);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(other), 4 * 512), data);

    for (const auto& c : sticks.Calls()) {
        if (c.call != RawCall::ReadFile && c.call != RawCall::WriteFile) continue;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(c.buffer) % kTransferAlignment, 0u);
    }
}

TEST(UsbDriveTransfer, AnUnalignedTransferLargerThanOneSlotIsSplit) {
    WindowsVersion xp(5);
    FakeUsbSticks sticks;
    sticks.Add(Stick());
    UsbDrive drive;
    ASSERT_TRUE(drive.OpenDrive(3, L"E:"));
    const uint32_t bytes = 2 * kBlockImageSize;
    std::vector<uint8_t> storage(bytes + 16);
    std::string data = Pattern(bytes, 's');
    sticks.WriteDisk(3, 512, data);
    uint32_t done = 0;
    ASSERT_TRUE(drive.ReadAt(512, storage.data() + 8, bytes, &done));
    EXPECT_EQ(done, bytes);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(storage.data() + 8), bytes), data);
    auto seeks = CallsOf(sticks.Calls(), RawCall::SetFilePointer);
    ASSERT_EQ(seeks.size(), 2u);
    EXPECT_EQ(seeks[0].distance, 512);
    EXPECT_EQ(seeks[1].distance, static_cast<LONG>(512 + kBlockImageSize));
}

TEST(UsbDriveTransfer, OffsetsAndSizesOfPartSectorsAreRefusedBeforeAnyCall) {
    WindowsVersion xp(5);
    FakeUsbSticks sticks;
    sticks.Add(Stick());
    UsbDrive drive;
    ASSERT_TRUE(drive.OpenDrive(3, L"E:"));
    AlignedBuffer buffer;
    uint32_t done = 7;
    SetLastSystemError(0);
    EXPECT_FALSE(drive.ReadAt(100, buffer.data, 512, &done));
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(LastSystemError(), static_cast<uint32_t>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(drive.WriteAt(512, buffer.data, 1000, &done));
    EXPECT_EQ(sticks.Calls().size(), 1u);  // the open only
}

TEST(UsbDriveTransfer, AFailedTransferKeepsTheSystemError) {
    WindowsVersion xp(5);
    FakeUsbSticks sticks;
    sticks.Add(Stick());
    UsbDrive drive;
    ASSERT_TRUE(drive.OpenDrive(3, L"E:"));
    sticks.raw.answer = [](const RawCallRecord& call) {
        RawAnswer a;
        if (call.call == RawCall::SetFilePointer) a.result = static_cast<DWORD>(call.distance);
        if (call.call == RawCall::WriteFile) a.lastError = ERROR_WRITE_PROTECT;
        return a;
    };
    AlignedBuffer buffer;
    uint32_t done = 0;
    SetLastSystemError(0);
    EXPECT_FALSE(drive.WriteAt(0, buffer.data, 512, &done));
    EXPECT_EQ(LastSystemError(), static_cast<uint32_t>(ERROR_WRITE_PROTECT));
    SetLastSystemError(0);
    EXPECT_FALSE(drive.WriteAt(0, buffer.data + 1, 512, &done));
    EXPECT_EQ(LastSystemError(), static_cast<uint32_t>(ERROR_WRITE_PROTECT));
}

TEST(UsbDriveTransfer, AFailedSeekIsNotLookedAt) {
    WindowsVersion xp(5);
    FakeUsbSticks sticks;
    sticks.Add(Stick());
    UsbDrive drive;
    ASSERT_TRUE(drive.OpenDrive(3, L"E:"));
    sticks.raw.answer = [](const RawCallRecord& call) {
        RawAnswer a;
        a.result = TRUE;
        if (call.call == RawCall::SetFilePointer) {
            a.result = INVALID_SET_FILE_POINTER;
            a.lastError = ERROR_NEGATIVE_SEEK;
        }
        if (call.call == RawCall::ReadFile) a.transferred = call.size;
        return a;
    };
    AlignedBuffer buffer;
    uint32_t done = 0;
    EXPECT_TRUE(drive.ReadAt(512, buffer.data, 512, &done));
    EXPECT_EQ(CallsOf(sticks.Calls(), RawCall::ReadFile).size(), 1u);
}

TEST(UsbDriveTransfer, OffsetsBeyondTwoGigabytesCarryTheirHighPart) {
    WindowsVersion xp(5);
    FakeUsbSticks sticks;
    FakeStick big = Stick();
    big.lastAddress = 0xFFFFFFF0u;
    sticks.Add(big);
    UsbDrive drive;
    ASSERT_TRUE(drive.OpenDrive(3, L"E:"));
    AlignedBuffer buffer;
    uint32_t done = 0;
    const uint64_t offset = 5ull << 30;  // 5 GiB
    ASSERT_TRUE(drive.ReadAt(offset, buffer.data, 512, &done));
    auto seeks = CallsOf(sticks.Calls(), RawCall::SetFilePointer);
    ASSERT_EQ(seeks.size(), 1u);
    EXPECT_TRUE(seeks[0].highGiven);
    EXPECT_EQ(seeks[0].high, 1);
    EXPECT_EQ(static_cast<uint32_t>(seeks[0].distance), 0x40000000u);
}

TEST(UsbDriveTransfer, EveryTransferOfTheSectorLayerSuitsAnUnbufferedDrive) {
    WindowsVersion vista(6);
    FakeUsbSticks sticks;
    sticks.Add(Stick());
    SectorAccess sectors;
    auto drive = std::make_unique<UsbDrive>();
    ASSERT_TRUE(drive->OpenDrive(3, L"E:"));
    sectors.AttachDrive(std::move(drive));

    // The buffers block operations hand in: the block image, a struct member, a stack array,
    // a vector, each at whatever address it happens to have.
    struct {
        char tag;
        uint8_t sector[512];
    } header = {};
    uint8_t stack[3 * 512 + 1];
    std::vector<uint8_t> heap(2880 * 512 + 5);
    sectors.SetBlockIndex(2);
    EXPECT_EQ(sectors.WriteSectors(0, 2880, sectors.blockImage()), 0);
    EXPECT_EQ(sectors.WriteSectors(3071, 1, header.sector), 0);
    EXPECT_EQ(sectors.ReadSectors(1, 3, stack + 1), 0);
    EXPECT_EQ(sectors.ReadSectors(0, 2880, heap.data() + 5), 0);
    sectors.SetBlockIndex(0);
    EXPECT_EQ(sectors.ReadSectors(3071, 1, header.sector), 0);
    sectors.CloseDrive();
    EXPECT_EQ(sticks.OpenHandles(), 0u);

    auto calls = sticks.Calls();
    int transfers = 0;
    for (size_t i = 0; i < calls.size(); ++i) {
        const RawCallRecord& c = calls[i];
        if (c.call != RawCall::ReadFile && c.call != RawCall::WriteFile) continue;
        ++transfers;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(c.buffer) % kTransferAlignment, 0u) << "transfer " << transfers;
        EXPECT_EQ(c.size % 512, 0u);
        ASSERT_GT(i, 0u);
        ASSERT_EQ(calls[i - 1].call, RawCall::SetFilePointer);
        EXPECT_EQ(static_cast<uint32_t>(calls[i - 1].distance) % 512, 0u);
    }
    EXPECT_EQ(transfers, 5);
    // Block 2's sector 0 is drive sector 6144.
    EXPECT_EQ(CallsOf(calls, RawCall::SetFilePointer)[0].distance, 6144 * 512);
}
