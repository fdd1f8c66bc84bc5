// The single-instance rule between two runs of the built program on a drive image with a space in
// its path: a second start restores and raises the first window and exits with 0; after a normal
// exit (code 1) the program's real instance mapping, so this runs alone, holds 0.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/single_instance.h"
#include "gui_harness.h"
#include "support/temp_dir.h"

namespace {

// One run of the program, ended when the object goes; its exit code (STILL_ACTIVE while it runs).
struct ProgramRun {
    explicit ProgramRun(const std::wstring& image) {
        const std::string built = SLOTWISE_EXE;  // a Unix path, which Wine shows on drive Z:
        std::wstring line = L"\"Z:" + std::wstring(built.begin(), built.end()) + L"\" --drive-image \"" + image + L"\"";
        std::replace(line.begin(), line.end(), L'/', L'\\');
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        EXPECT_TRUE(CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    }
    ~ProgramRun() {
        TerminateProcess(info.hProcess, 99);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    DWORD ExitCode(DWORD timeoutMs) const {
        DWORD code = STILL_ACTIVE;
        WaitForSingleObject(info.hProcess, timeoutMs);
        GetExitCodeProcess(info.hProcess, &code);
        return code;
    }
    PROCESS_INFORMATION info = {};
};

TEST(InstanceProcesses, ASecondStartRaisesTheFirstWindowAndExitsAndAnExitClearsTheMapping) {
    TempDir dir;
    WriteWholeFile(dir.File("my stick.img"), std::string(4 * 1024 * 1024, '\0'));
    HANDLE mapping = nullptr;
    const DWORD* value = nullptr;
    auto published = [&] {
        if (!mapping) mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, kInstanceMappingName);
        if (mapping && !value) value = static_cast<const DWORD*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 4));
        return value ? InstanceValueToWindow(*value) : nullptr;
    };
    ASSERT_EQ(published(), nullptr) << "another instance of the program is running";

    ProgramRun first(dir.WFile("my stick.img"));
    ASSERT_TRUE(WaitUntil([&] { return IsWindow(published()); }, 60000)) << "the first instance published no window";
    HWND window = published();
    // The title names the drive of the image: the quoted path was taken.
    EXPECT_TRUE(WaitUntil([&] { return TextOf(window).find(L":]") != std::wstring::npos; })) << TextOf(window).size();
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(window) != FALSE; }));

    ProgramRun second(dir.WFile("my stick.img"));
    EXPECT_EQ(second.ExitCode(60000), 0u);
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(window) && IsWindowVisible(window); }));
    EXPECT_EQ(published(), window);
    EXPECT_EQ(first.ExitCode(0), static_cast<DWORD>(STILL_ACTIVE));

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.ExitCode(60000), 1u);
    EXPECT_EQ(published(), nullptr);
    UnmapViewOfFile(value);
    CloseHandle(mapping);
}

}  // namespace
