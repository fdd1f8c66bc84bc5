// Start-up in one process: the drive images of the command line, and RunProgram around a main
// window played by the test (under a mapping name of its own): what the window finds when it
// runs, the exit code, the shutdown, and a start that meets a running instance.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_module.h"
#include "app/command_line.h"
#include "app/single_instance.h"
#include "app/startup.h"
#include "disk/attached_images.h"
#include "disk/environment.h"
#include "gui_support.h"
#include "support/temp_dir.h"

namespace {

TEST(CommandLine, DriveImagesAreTakenInOrderWithTheSystemsQuoting) {
    auto images = DriveImagesFromCommandLine(
        L"\"C:\\Program Files\\slotwise.exe\" --drive-image Z:\\a.img /other "
        L"--drive-image \"Z:\\with space\\b.img\"");
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0], L"Z:\\a.img");
    EXPECT_EQ(images[1], L"Z:\\with space\\b.img");
}

TEST(CommandLine, EverythingElseIsIgnored) {
    EXPECT_TRUE(DriveImagesFromCommandLine(L"slotwise.exe").empty());
    EXPECT_TRUE(DriveImagesFromCommandLine(L"slotwise.exe /install --drive-images x.img").empty());
    EXPECT_TRUE(DriveImagesFromCommandLine(L"slotwise.exe x.img --drive-image").empty());
    EXPECT_TRUE(DriveImagesFromCommandLine(L"").empty());
    EXPECT_TRUE(DriveImagesFromCommandLine(nullptr).empty());
    // The program's own name is never an option.
    EXPECT_TRUE(DriveImagesFromCommandLine(L"--drive-image x.img").empty());
}

// What the test's main window saw while it ran.
struct SeenByWindow {
    bool ran = false;
    int showCommand = -1;
    std::wstring title;
    bool holdsInstance = false;
    std::vector<DriveRecord> images;
};
SeenByWindow seenByWindow;
std::wstring instanceName;

int FakeMainWindow(int showCommand) {
    seenByWindow.ran = true;
    seenByWindow.showCommand = showCommand;
    seenByWindow.title = appTitle;
    HANDLE held = OpenFileMappingW(FILE_MAP_READ, FALSE, instanceName.c_str());
    seenByWindow.holdsInstance = held != nullptr;
    if (held) CloseHandle(held);
    seenByWindow.images = ProcessAttachedImages().records();
    return 7;
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override {
        // Under Wine the user is an administrator and the program a native process: the direct
        // route, so that start-up needs no disk service.
        if (!IsUserAdministrator()) GTEST_SKIP() << "start-up would need the disk service here";
        instanceName = L"SlotwiseTestStartup-" + std::to_wstring(GetCurrentProcessId());
        UseInstanceMappingName(instanceName.c_str());
        seenByWindow = SeenByWindow();
    }
    void TearDown() override {
        for (const DriveRecord& image : std::vector<DriveRecord>(ProcessAttachedImages().records()))
            ProcessAttachedImages().Detach(image.deviceNumber);
        UseInstanceMappingName(nullptr);
    }
};

TEST_F(Startup, MainWindowRunsWithTheShowCommandTitleInstanceAndDriveImages) {
    TempDir dir;
    WriteWholeFile(dir.File("stick.img"), std::string(4 * 1024 * 1024, '\0'));
    const std::wstring line = L"slotwise.exe --drive-image \"" + dir.WFile("stick.img") + L"\"";
    int code = RunProgram(GetModuleHandleW(nullptr), line.c_str(), SW_SHOWMINNOACTIVE, FakeMainWindow);
    EXPECT_EQ(code, 7);
    ASSERT_TRUE(seenByWindow.ran);
    EXPECT_EQ(seenByWindow.showCommand, SW_SHOWMINNOACTIVE);
    EXPECT_EQ(seenByWindow.title, L"[Tanvale] Slotwise");
    EXPECT_TRUE(seenByWindow.holdsInstance);
    ASSERT_EQ(seenByWindow.images.size(), 1u);
    EXPECT_EQ(seenByWindow.images[0].lastSector, 4u * 1024 * 1024 / 512 - 1);
    // The image takes a letter that no drive of the system has.
    const wchar_t letter = seenByWindow.images[0].driveName[0];
    EXPECT_FALSE(GetLogicalDrives() & (1u << (letter - L'A'))) << letter;
    // Shut down: the title is gone and the mapping released.
    EXPECT_TRUE(appTitle.empty());
    HANDLE held = OpenFileMappingW(FILE_MAP_READ, FALSE, instanceName.c_str());
    EXPECT_EQ(held, nullptr);
    if (held) CloseHandle(held);
}

TEST_F(Startup, AStartThatMeetsARunningInstanceRaisesItAndExitsWithZero) {
    TestWindow running(RECT{40, 40, 440, 340});
    ShowWindow(running.hwnd(), SW_MINIMIZE);
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4, instanceName.c_str());
    ASSERT_NE(mapping, nullptr);
    auto* value = static_cast<DWORD*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 4));
    ASSERT_NE(value, nullptr);
    *value = WindowToInstanceValue(running.hwnd());
    int code = RunProgram(GetModuleHandleW(nullptr), L"slotwise.exe", SW_SHOWNORMAL, FakeMainWindow);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(seenByWindow.ran);
    EXPECT_FALSE(IsIconic(running.hwnd()));
    EXPECT_EQ(InstanceValueToWindow(*value), running.hwnd());
    UnmapViewOfFile(value);
    CloseHandle(mapping);
}

}  // namespace
