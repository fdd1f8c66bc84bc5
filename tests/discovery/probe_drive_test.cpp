// Probing one drive letter: what a USB stick answers becomes its record, and every other kind of
// drive is refused for its own reason, with the handle closed on every path after the open.
#include <windows.h>

#include <winioctl.h>

#include <ntddscsi.h>  // after winioctl.h, whose codes it uses

#include <gtest/gtest.h>

#include <cstring>

#include "disk/drive_discovery.h"
#include "disk/system_error.h"
#include "fake_usb_sticks.h"

namespace {

constexpr DWORD kQueryProperty = 0x002D1400;
constexpr DWORD kDeviceNumber = 0x002D1080;
constexpr DWORD kPassThrough = 0x0004D004;

std::vector<DWORD> ControlCodes(const std::vector<RawCallRecord>& calls) {
    std::vector<DWORD> codes;
    for (const auto& c : CallsOf(calls, RawCall::DeviceIoControl))
        codes.push_back(c.ioControlCode);
    return codes;
}

// The probe opened the volume once and closed exactly that handle, as its last call.
void ExpectOpenedAndClosedOnce(const std::vector<RawCallRecord>& calls) {
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.front().call, RawCall::CreateFile);
    EXPECT_EQ(calls.back().call, RawCall::CloseHandle);
    EXPECT_EQ(CallsOf(calls, RawCall::CreateFile).size(), 1u);
    EXPECT_EQ(CallsOf(calls, RawCall::CloseHandle).size(), 1u);
    for (size_t i = 1; i < calls.size(); ++i)
        EXPECT_EQ(calls[i].handle, calls[1].handle);
}

}  // namespace

TEST(ProbeDrive, AUsbStickGivesItsNumberLastSectorAndName) {
    FakeUsbSticks sticks;
    FakeStick stick;
    stick.deviceNumber = 2;
    stick.lastAddress = 3940351;
    sticks.Add(stick);

    DriveRecord record;
    EXPECT_EQ(ProbeDrive(L"E:", &record), PROBE_QUALIFIES);
    EXPECT_EQ(record.deviceNumber, 2);
    EXPECT_EQ(record.lastSector, 3940351u);
    EXPECT_EQ(record.driveName, L"E:");
    EXPECT_EQ(record.deviceName, L"USB FlashDisk");
    EXPECT_TRUE(record.imagePath.empty());
    EXPECT_EQ(sticks.OpenHandles(), 0u);
}

TEST(ProbeDrive, OpensTheVolumeSharedAndAsksInTheOrderGiven) {
    FakeUsbSticks sticks;
    sticks.Add(FakeStick{});
    DriveRecord record;
    ASSERT_EQ(ProbeDrive(L"E:", &record), PROBE_QUALIFIES);

    auto calls = sticks.Calls();
    ExpectOpenedAndClosedOnce(calls);
    const RawCallRecord& open = calls.front();
    EXPECT_EQ(open.path, L"\\\\.\\E:");
    EXPECT_EQ(open.access, static_cast<DWORD>(GENERIC_READ | GENERIC_WRITE));
    EXPECT_EQ(open.share, 7u);
    EXPECT_FALSE(open.securityGiven);
    EXPECT_EQ(open.disposition, static_cast<DWORD>(OPEN_EXISTING));
    EXPECT_EQ(open.flags, static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(open.templateFile, nullptr);
    EXPECT_EQ(ControlCodes(calls), (std::vector<DWORD>{kQueryProperty, kDeviceNumber, kPassThrough}));

    auto controls = CallsOf(calls, RawCall::DeviceIoControl);
    // The standard device descriptor: property 0, standard query 0, in 12 bytes; 548 bytes back.
    EXPECT_EQ(controls[0].size, 12u);
    EXPECT_EQ(controls[0].input, std::string(12, '\0'));
    EXPECT_EQ(controls[0].outSize, 548u);
    // The device number: no input, 12 bytes back.
    EXPECT_EQ(controls[1].size, 0u);
    EXPECT_EQ(controls[1].outSize, 12u);
    for (const auto& c : controls)
        EXPECT_FALSE(c.overlappedGiven);
}

TEST(ProbeDrive, ReadCapacityGoesThroughAPassThroughHeaderAsTheDriveExpects) {
    FakeUsbSticks sticks;
    sticks.Add(FakeStick{});
    DriveRecord record;
    ASSERT_EQ(ProbeDrive(L"E:", &record), PROBE_QUALIFIES);

    auto controls = CallsOf(sticks.Calls(), RawCall::DeviceIoControl);
    ASSERT_EQ(controls.size(), 3u);
    const RawCallRecord& pass = controls[2];
    // 44 bytes in the 32-bit program that ships; the 64-bit test build has the 64-bit layout.
    const DWORD headerSize = sizeof(void*) == 4 ? 44u : 56u;
    ASSERT_EQ(pass.size, headerSize);
    EXPECT_EQ(pass.outSize, headerSize + 32);  // 76 in the 32-bit program
    SCSI_PASS_THROUGH header;
    std::memcpy(&header, pass.input.data(), sizeof header);
    EXPECT_EQ(header.Length, headerSize);
    EXPECT_EQ(header.PathId, 0);
    EXPECT_EQ(header.TargetId, 1);
    EXPECT_EQ(header.Lun, 0);
    EXPECT_EQ(header.CdbLength, 10);
    EXPECT_EQ(header.SenseInfoLength, 0);
    EXPECT_EQ(header.DataIn, SCSI_IOCTL_DATA_IN);
    EXPECT_EQ(header.DataTransferLength, 8u);
    EXPECT_EQ(header.TimeOutValue, 2u);
    EXPECT_EQ(header.DataBufferOffset, headerSize);
    EXPECT_EQ(header.SenseInfoOffset, 0u);
    EXPECT_EQ(header.Cdb[0], 0x25);
    for (int i = 1; i < 16; ++i)
        EXPECT_EQ(header.Cdb[i], 0) << "CDB byte " << i;
}

TEST(ProbeDrive, BlanksAreRemovedAnywhereInVendorAndProduct) {
    FakeUsbSticks sticks;
    FakeStick stick;
    stick.vendor = " Sand Disk ";
    stick.product = "Cruzer  Blade   ";
    sticks.Add(stick);
    DriveRecord record;
    ASSERT_EQ(ProbeDrive(L"E:", &record), PROBE_QUALIFIES);
    EXPECT_EQ(record.deviceName, L"SandDisk CruzerBlade");
}

TEST(ProbeDrive, AMissingVendorOrProductReadsNull) {
    FakeUsbSticks sticks;
    FakeStick stick;
    stick.vendor.clear();
    sticks.Add(stick);
    FakeStick other;
    other.driveName = L"F:";
    other.deviceNumber = 3;
    other.product.clear();
    sticks.Add(other);

    DriveRecord record;
    ASSERT_EQ(ProbeDrive(L"E:", &record), PROBE_QUALIFIES);
    EXPECT_EQ(record.deviceName, L"(NULL) FlashDisk");
    ASSERT_EQ(ProbeDrive(L"F:", &record), PROBE_QUALIFIES);
    EXPECT_EQ(record.deviceName, L"USB (NULL)");
}

TEST(ProbeDrive, AnIdentificationOfMoreThan128CharactersIsCut) {
    FakeUsbSticks sticks;
    FakeStick stick;
    stick.vendor = std::string(200, 'V');
    sticks.Add(stick);
    DriveRecord record;
    ASSERT_EQ(ProbeDrive(L"E:", &record), PROBE_QUALIFIES);
    EXPECT_EQ(record.deviceName, std::wstring(128, L'V') + L" FlashDisk");
}

TEST(ProbeDrive, ACardReaderWithoutUsbBusTypeIsRefusedAfterTheFirstQuestion) {
    FakeUsbSticks sticks;
    FakeStick reader;
    reader.busType = 0x0C;  // BusTypeSd
    sticks.Add(reader);
    DriveRecord record;
    EXPECT_EQ(ProbeDrive(L"E:", &record), PROBE_NOT_LISTED);
    auto calls = sticks.Calls();
    ExpectOpenedAndClosedOnce(calls);
    EXPECT_EQ(ControlCodes(calls), std::vector<DWORD>{kQueryProperty});
}

TEST(ProbeDrive, PhysicalDriveZeroIsNeverListedEvenOnUsb) {
    FakeUsbSticks sticks;
    FakeStick system;
    system.deviceNumber = 0;
    sticks.Add(system);
    DriveRecord record;
    EXPECT_EQ(ProbeDrive(L"E:", &record), PROBE_NOT_LISTED);
    auto calls = sticks.Calls();
    ExpectOpenedAndClosedOnce(calls);
    EXPECT_EQ(ControlCodes(calls), (std::vector<DWORD>{kQueryProperty, kDeviceNumber}));
}

TEST(ProbeDrive, ADeviceThatIsNoDiskIsRefused) {
    FakeUsbSticks sticks;
    FakeStick cdrom;
    cdrom.deviceType = 2;  // FILE_DEVICE_CD_ROM
    sticks.Add(cdrom);
    DriveRecord record;
    EXPECT_EQ(ProbeDrive(L"E:", &record), PROBE_NOT_LISTED);
}

TEST(ProbeDrive, SectorsLargerThan512BytesAreRefusedAndDescribedForTheMessage) {
    FakeUsbSticks sticks;
    FakeStick stick;
    stick.blockLength = 4096;
    sticks.Add(stick);
    DriveRecord record;
    LargeSectorDrive large;
    EXPECT_EQ(ProbeDrive(L"E:", &record, &large), PROBE_NOT_LISTED);
    EXPECT_EQ(large.driveName, L"E:");
    EXPECT_EQ(large.sectorSize, 4096u);
    EXPECT_EQ(LargeSectorText(large), L"不支持大扇区(4096B)U盘E:");
    ExpectOpenedAndClosedOnce(sticks.Calls());
}

TEST(ProbeDrive, SectorsSmallerThan512BytesAreRefusedWithoutAMessage) {
    FakeUsbSticks sticks;
    FakeStick stick;
    stick.blockLength = 256;
    sticks.Add(stick);
    DriveRecord record;
    LargeSectorDrive large;
    EXPECT_EQ(ProbeDrive(L"E:", &record, &large), PROBE_NOT_LISTED);
    EXPECT_EQ(large.sectorSize, 0u);
}

TEST(ProbeDrive, ADriveMustBeLargerThanOneSlot) {
    FakeUsbSticks sticks;
    FakeStick slot;  // exactly 3072 sectors: room for block 0 and nothing after it
    slot.lastAddress = 3071;
    sticks.Add(slot);
    FakeStick bigger;
    bigger.driveName = L"F:";
    bigger.deviceNumber = 3;
    bigger.lastAddress = 3072;
    sticks.Add(bigger);

    DriveRecord record;
    LargeSectorDrive large;
    EXPECT_EQ(ProbeDrive(L"E:", &record, &large), PROBE_NOT_LISTED);
    EXPECT_EQ(large.sectorSize, 0u);
    EXPECT_EQ(ProbeDrive(L"F:", &record), PROBE_QUALIFIES);
    EXPECT_EQ(record.lastSector, 3072u);
}

TEST(ProbeDrive, AVolumeThatCannotBeOpenedReportsTheSystemError) {
    FakeUsbSticks sticks;
    FakeStick stick;
    stick.openError = ERROR_NOT_READY;  // a card reader slot with no card
    sticks.Add(stick);
    DriveRecord record;
    SetLastSystemError(0);
    EXPECT_EQ(ProbeDrive(L"E:", &record), PROBE_WIN_ERROR);
    EXPECT_EQ(LastSystemError(), static_cast<uint32_t>(ERROR_NOT_READY));
    EXPECT_EQ(record.driveName, L"E:");
    auto calls = sticks.Calls();
    ASSERT_EQ(calls.size(), 1u);  // nothing to close
}

class ProbeControlFailure : public testing::TestWithParam<DWORD> {};

TEST_P(ProbeControlFailure, ReportsTheSystemErrorAndClosesTheVolume) {
    FakeUsbSticks sticks;
    FakeStick stick;
    stick.failingControl = GetParam();
    sticks.Add(stick);
    DriveRecord record;
    SetLastSystemError(0);
    EXPECT_EQ(ProbeDrive(L"E:", &record), PROBE_WIN_ERROR);
    EXPECT_EQ(LastSystemError(), static_cast<uint32_t>(ERROR_GEN_FAILURE));
    ExpectOpenedAndClosedOnce(sticks.Calls());
    EXPECT_EQ(sticks.OpenHandles(), 0u);
}

INSTANTIATE_TEST_SUITE_P(EachQuestion,
                         ProbeControlFailure,
                         testing::Values(kQueryProperty, kDeviceNumber, kPassThrough));

TEST(ProbeIntoRecord, ARecordIsReplacedWholeOnlyByADriveThatQualifies) {
    FakeUsbSticks sticks;
    FakeStick stick;
    stick.deviceNumber = 4;
    stick.lastAddress = 7000;
    sticks.Add(stick);
    FakeStick large;
    large.driveName = L"F:";
    large.deviceNumber = 5;
    large.blockLength = 4096;
    sticks.Add(large);

    DriveRecord record;
    record.deviceNumber = 9;
    record.lastSector = 123;
    record.driveName = L"G:";
    record.deviceName = L"Old Stick";
    EXPECT_EQ(ProbeIntoRecord(L"F:", &record), PROBE_NOT_LISTED);
    // Marked empty; what it held otherwise is left alone.
    EXPECT_EQ(record.deviceNumber, -1);
    EXPECT_EQ(record.driveName, L"G:");
    EXPECT_EQ(record.lastSector, 123u);

    EXPECT_EQ(ProbeIntoRecord(L"E:", &record), PROBE_QUALIFIES);
    EXPECT_EQ(record.deviceNumber, 4);
    EXPECT_EQ(record.lastSector, 7000u);
    EXPECT_EQ(record.driveName, L"E:");
    EXPECT_EQ(record.deviceName, L"USB FlashDisk");
}
