// A drive someone else holds is refused with a text that says so: on Linux a block device (a
// loop device over a scratch file) is held exclusively, so that a second opener, like a mount,
// is refused; on Windows an image file that another program has open is.
#include "disk/record_drive.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "disk/system_error.h"
#include "disk/wide_path.h"
#include "support/temp_dir.h"
#ifdef _WIN32
#include <windows.h>
#endif

namespace {

TEST(DriveInUse, ADriveHeldByAnotherIsRefusedUntilItIsLetGo) {
    TempDir dir;
    WriteWholeFile(dir.File("drive.img"), std::string(4 * 1572864, '\0'));
    DriveRecord record;
    record.lastSector = 4 * 3072 - 1;
#ifdef _WIN32
    record.deviceNumber = 1000;
    record.driveName = L"Y:";
    record.imagePath = dir.WFile("drive.img");
    const std::wstring text = L"The image " + record.imagePath + L" is in use by another program";
    HANDLE other = CreateFileW(record.imagePath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    auto letGo = [other] { CloseHandle(other); };
#else
    FILE* losetup = popen(("losetup -f --show " + dir.File("drive.img") + " 2>/dev/null").c_str(), "r");
    char device[64] = {};
    bool bound = fgets(device, sizeof device, losetup) != nullptr;
    pclose(losetup);
    if (!bound) GTEST_SKIP() << "no loop device can be set up here";
    const std::string path(device, std::string(device).find('\n'));
    std::shared_ptr<void> detach(nullptr, [path](void*) { std::system(("losetup -d " + path).c_str()); });
    record.deviceNumber = 7;
    record.driveName = record.imagePath = WideFromUtf8(path);
    const std::wstring text = L"The drive " + record.driveName + L" is in use (mounted?); unmount it first";
    std::unique_ptr<RawDrive> other = OpenRecordDrive(record, false);
    ASSERT_NE(other, nullptr) << Utf8FromWide(SystemErrorText(LastSystemError()));
    auto letGo = [&other] { other.reset(); };
#endif
    SetLastSystemError(0);
    EXPECT_EQ(OpenRecordDrive(record, true), nullptr);
    EXPECT_EQ(DriveOpenErrorText(record, LastSystemError(), true), text);
    letGo();
    EXPECT_NE(OpenRecordDrive(record, true), nullptr);
}

}  // namespace
