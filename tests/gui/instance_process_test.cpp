// The single-instance rule between two runs of the built program on an image-backed drive: a
// second start restores and raises the first window and exits with 0, showing nothing; after a
// normal exit (code 1) the instance mapping holds 0. Uses the program's real mapping name, so
// these cases run alone.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "app/single_instance.h"
#include "support/temp_dir.h"

namespace {

std::wstring ProgramPath() {
    std::string built = SLOTWISE_EXE;
    std::wstring path(built.begin(), built.end());
    // Built on Linux: the path is a Unix one, which Wine shows on drive Z:.
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

// One run of the program, ended when the object goes if it still runs.
class ProgramRun {
public:
    explicit ProgramRun(const std::wstring& arguments) {
        std::wstring line = L"\"" + ProgramPath() + L"\" " + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        started_ = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                  &info_) != FALSE;
    }
    ~ProgramRun() {
        if (!started_) return;
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 99);
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    bool started() const { return started_; }
    DWORD id() const { return info_.dwProcessId; }
    // The exit code, or STILL_ACTIVE when it has not ended within timeoutMs.
    DWORD WaitForExit(DWORD timeoutMs) const {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }

private:
    bool started_ = false;
    PROCESS_INFORMATION info_ = {};
};

// A view of the instance mapping of our own, which keeps it in existence after the program ends.
class InstanceMapping {
public:
    bool Open() {
        if (!handle_) handle_ = OpenFileMappingW(FILE_MAP_READ, FALSE, kInstanceMappingName);
        if (handle_ && !value_) value_ = static_cast<volatile DWORD*>(MapViewOfFile(handle_, FILE_MAP_READ, 0, 0, 4));
        return value_ != nullptr;
    }
    ~InstanceMapping() {
        if (value_) UnmapViewOfFile(const_cast<DWORD*>(value_));
        if (handle_) CloseHandle(handle_);
    }
    HWND window() const { return value_ ? InstanceValueToWindow(*value_) : nullptr; }
    DWORD value() const { return value_ ? *value_ : 0xFFFFFFFF; }

private:
    HANDLE handle_ = nullptr;
    volatile DWORD* value_ = nullptr;
};

template <typename Condition>
bool WaitFor(Condition condition, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::wstring Title(HWND window) {
    wchar_t buffer[256] = {};
    GetWindowTextW(window, buffer, 256);
    return buffer;
}

TEST(InstanceProcesses, SecondStartRaisesTheFirstWindowAndExitsAndExitClearsTheMapping) {
    TempDir dir;
    WriteWholeFile(dir.File("stick.img"), std::string(4 * 1024 * 1024, '\0'));
    const std::wstring arguments = L"--drive-image \"" + dir.WFile("stick.img") + L"\"";

    InstanceMapping mapping;
    ASSERT_FALSE(mapping.Open()) << "another instance of the program is running";
    ProgramRun first(arguments);
    ASSERT_TRUE(first.started());
    ASSERT_TRUE(WaitFor([&] { return mapping.Open() && IsWindow(mapping.window()); }, 60000))
        << "the first instance published no window";
    HWND window = mapping.window();
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    EXPECT_EQ(owner, first.id());
    // The window publishes itself first thing at its creation, and sets its title later.
    EXPECT_TRUE(WaitFor([&] { return Title(window).rfind(L"[Tanvale] Slotwise", 0) == 0; }, 10000)) << Title(window);

    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(WaitFor([&] { return IsIconic(window) != FALSE; }, 5000));

    ProgramRun second(arguments);
    ASSERT_TRUE(second.started());
    EXPECT_EQ(second.WaitForExit(60000), 0u);
    EXPECT_TRUE(WaitFor([&] { return !IsIconic(window) && IsWindowVisible(window); }, 5000));
    // The first instance still owns the user interface.
    EXPECT_EQ(mapping.window(), window);
    EXPECT_EQ(first.WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE));

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.WaitForExit(60000), 1u);
    EXPECT_EQ(mapping.value(), 0u);
}

}  // namespace
