// What the disk service tests stand on: the service's request worker on a thread of the test
// program, over a fake machine of drives or Win32 itself, and helpers for calls and programs.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "disk/raw_calls.h"
#include "disk/service_channel.h"
#include "service/channel_objects.h"

class FakeSticks;

// The channel names of a test service; a second program reaches the service by the suffix.
inline ServiceChannelNames TestChannelNames(const std::wstring& suffix) {
    return {L"Global\\SlotwiseTestMapping-" + suffix, L"Global\\SlotwiseTestRequest-" + suffix,
            L"Global\\SlotwiseTestResponse-" + suffix, L"SlotwiseTestService-" + suffix,
            L"Global\\SlotwiseTestExchange-" + suffix};
}

// The machine the service tests' worker runs on: E: (disk 1) and G: (disk 5) are USB sticks; C:
// (Windows, disk 2) and Z: (the test program, as the service's executable, disk 3) are USB sticks
// too, so that only the system-disk rule refuses them; D: is a SATA disk (disk 0) and F: a USB hard
// disk (disk 4, fixed).
void AddServiceMachine(FakeSticks& sticks);

// The request worker on a thread under channel names of its own, making its drive calls through
// `calls`, one service at a time; while it exists the program's client uses those names and learns
// from it that the service runs.
class InProcessService {
public:
    explicit InProcessService(const RawCallTable& calls = DirectRawCalls());
    ~InProcessService();
    InProcessService(const InProcessService&) = delete;
    InProcessService& operator=(const InProcessService&) = delete;
    int served() const { return served_; }  // requests answered so far
    const std::wstring& suffix() const { return suffix_; }
    void StopAnswering();  // ends the worker; the service still counts as running

    // A request written into the emptied block as any local program could write it: the path
    // (unterminated when none) and the fields. The answer's result and last error, or "unanswered".
    using Fields = std::vector<std::pair<uint32_t, uint32_t>>;
    std::string Send(uint32_t command, Fields fields, const std::wstring& path = L"");

private:
    static DWORD WINAPI Serve(void* self);
    std::wstring suffix_;
    const RawCallTable& calls_;
    ChannelObjects objects_;
    HANDLE stop_ = nullptr;
    HANDLE thread_ = nullptr;
    static std::atomic<int> served_;
};

// Sets the disk route for the life of the object; at its end the client is disconnected.
class DiskRoute {
public:
    explicit DiskRoute(int32_t useDiskService);
    ~DiskRoute();

private:
    int32_t saved_;
};

// A call's result as a 32-bit value, the last error and a count read after the call; clears the
// last error for the next call.
std::string Said(uintptr_t result, const DWORD& count = 0);

// Runs `work` on a thread; if it has not finished within `ms`, ends the program with a message
// rather than let it hang.
void MustFinishWithin(DWORD ms, const char* what, const std::function<void()>& work);

// A path of the build as Windows programs see it: built on Linux, / is Z:\ under Wine.
std::wstring WindowsPath(const std::string& builtPath);

// Runs a command line with standard input empty: its standard output and error, and "exit N".
std::string RunProgram(const std::wstring& commandLine);
