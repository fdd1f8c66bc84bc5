// Restarting the volume device behind a drive letter after a whole-drive format: the device is
// found by its object name, stopped and started for this hardware profile, and every way out
// releases the device set.
#include <windows.h>

#include <setupapi.h>

#include <gtest/gtest.h>

#include "disk/drive_discovery.h"
#include "disk/record_drive.h"
#include "disk/system_error.h"
#include "fake_discovery_calls.h"

namespace {

// The volume E: is \Device\HarddiskVolume5, the third device of the set.
void PlayVolumes(FakeDiscoveryCalls& calls) {
    calls.dosDevices[L"E:"] = L"\\Device\\HarddiskVolume5";
    calls.devices = {{L"\\Device\\HarddiskVolume1"}, {L"\\Device\\HarddiskVolume50"}, {L"\\Device\\HarddiskVolume5"}};
}

std::vector<std::string> Restart(unsigned device) {
    std::string d = std::to_string(device);
    return {"params " + d + " stop scope 2 profile 0 function 0x12 header 8 size " +
                std::to_string(sizeof(SP_PROPCHANGE_PARAMS)),
            "call " + d + " 0x12",
            "params " + d + " start scope 2 profile 0 function 0x12 header 8 size " +
                std::to_string(sizeof(SP_PROPCHANGE_PARAMS)),
            "call " + d + " 0x12", "installparams " + d};
}

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::string kClassDevs = "classdevs {53F5630D-B6BF-11D0-94F2-00A0C91EFB8B} - - 0x12";

}  // namespace

TEST(RestartDiskDevice, TheMatchingVolumeIsStoppedAndStartedAndTheSetReleased) {
    FakeDiscoveryCalls calls;
    PlayVolumes(calls);
    EXPECT_EQ(RestartDiskDevice(L"E:"), 0);
    std::vector<std::string> expected = {kClassDevs,      "enum 0", "property 1 14", "enum 1",
                                         "property 2 14", "enum 2", "property 3 14"};
    expected = Join(expected, Restart(3));
    expected.push_back("destroy");
    EXPECT_EQ(calls.log, expected);
    EXPECT_EQ(calls.setsOpen, 0);
}

TEST(RestartDiskDevice, NoMatchingDeviceFailsWithTheEnumerationsError) {
    FakeDiscoveryCalls calls;
    PlayVolumes(calls);
    calls.devices.pop_back();
    SetLastSystemError(0);
    EXPECT_EQ(RestartDiskDevice(L"E:"), -1);
    EXPECT_EQ(LastSystemError(), static_cast<uint32_t>(ERROR_NO_MORE_ITEMS));
    EXPECT_EQ(calls.log.back(), "destroy");
    for (const auto& line : calls.log)
        EXPECT_EQ(line.find("call"), std::string::npos) << line;
    EXPECT_EQ(calls.setsOpen, 0);
}

TEST(RestartDiskDevice, AFailingPropertyReadEndsTheSearch) {
    FakeDiscoveryCalls calls;
    PlayVolumes(calls);
    calls.devices[1].propertyFails = true;
    SetLastSystemError(0);
    EXPECT_EQ(RestartDiskDevice(L"E:"), -1);
    EXPECT_EQ(LastSystemError(), static_cast<uint32_t>(ERROR_INVALID_DATA));
    EXPECT_EQ(calls.log,
              (std::vector<std::string>{kClassDevs, "enum 0", "property 1 14", "enum 1", "property 2 14", "destroy"}));
}

TEST(RestartDiskDevice, ARestartThatNeedsARebootFails) {
    FakeDiscoveryCalls calls;
    PlayVolumes(calls);
    calls.needsReboot = true;
    EXPECT_EQ(RestartDiskDevice(L"E:"), -1);
    EXPECT_EQ(calls.log.back(), "destroy");
    EXPECT_EQ(calls.setsOpen, 0);
}

TEST(RestartDiskDevice, ADeviceThatWillNotStopIsNotStarted) {
    FakeDiscoveryCalls calls;
    PlayVolumes(calls);
    calls.stopFails = true;
    SetLastSystemError(0);
    EXPECT_EQ(RestartDiskDevice(L"E:"), -1);
    EXPECT_EQ(LastSystemError(), static_cast<uint32_t>(ERROR_NOT_DISABLEABLE));
    for (const auto& line : calls.log)
        EXPECT_EQ(line.find("start"), std::string::npos) << line;
    EXPECT_EQ(calls.setsOpen, 0);
}

TEST(RestartDiskDevice, NoDeviceSetMeansNothingToRelease) {
    FakeDiscoveryCalls calls;
    PlayVolumes(calls);
    calls.classDevsFail = true;
    SetLastSystemError(0);
    EXPECT_EQ(RestartDiskDevice(L"E:"), -1);
    EXPECT_EQ(LastSystemError(), static_cast<uint32_t>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(calls.log, std::vector<std::string>{kClassDevs});
}

TEST(RestartDiskDevice, ALetterWithoutADeviceNameFailsBeforeTheDeviceInstaller) {
    FakeDiscoveryCalls calls;
    PlayVolumes(calls);
    SetLastSystemError(0);
    EXPECT_EQ(RestartDiskDevice(L"G:"), -1);
    EXPECT_EQ(LastSystemError(), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(calls.log.empty());
}

TEST(RereadPartitionTable, AStickIsRestartedAndAnImageLeftAlone) {
    FakeDiscoveryCalls calls;
    PlayVolumes(calls);
    DriveRecord stick;
    stick.deviceNumber = 1;
    stick.lastSector = 3940351;
    stick.driveName = L"E:";
    EXPECT_EQ(RereadPartitionTable(stick), 0);
    EXPECT_EQ(calls.log.size(), 13u);

    calls.log.clear();
    DriveRecord image;
    image.deviceNumber = 1000;
    image.driveName = L"Y:";
    image.imagePath = L"C:\\a.img";
    EXPECT_EQ(RereadPartitionTable(image), 0);
    EXPECT_TRUE(calls.log.empty());
}
