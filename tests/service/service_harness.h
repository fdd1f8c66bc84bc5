// What the disk service tests stand on: the service's request worker on a thread of the test
// program, a scratch volume the service agrees to open, and helpers for calls and programs.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "disk/service_channel.h"
#include "service/channel_objects.h"

// The program's scratch volume, made at first use and removed at exit: under Wine, a drive letter
// whose dosdevices entry with two colons points at an image file opens as a raw volume.
struct ScratchVolume {
    static constexpr uint32_t kBytes = 4 * 1024 * 1024;  // block 2 and the largest transfer fit
    std::wstring devicePath;                             // "\\.\L:"; empty when not under Wine
    std::string marker, imageFile, link;                 // the image is zero but for the marker
    std::string Image() const;
};
const ScratchVolume& SharedVolume();

// The request worker on a thread under channel names of its own, one at a time; while it exists the
// program's client uses those names and learns from it that the service runs.
class InProcessService {
public:
    InProcessService();
    ~InProcessService();
    InProcessService(const InProcessService&) = delete;
    InProcessService& operator=(const InProcessService&) = delete;
    int served() const { return served_; }  // requests answered so far

    // A request written into the emptied block as any local program could write it: the path
    // (unterminated when none) and the fields. The answer's result and last error, or "unanswered".
    using Fields = std::vector<std::pair<uint32_t, uint32_t>>;
    std::string Send(uint32_t command, Fields fields, const std::wstring& path = L"");

private:
    static DWORD WINAPI Serve(void* self);
    ServiceChannelNames names_;
    ChannelObjects objects_;
    HANDLE stop_ = nullptr;
    HANDLE thread_ = nullptr;
    std::atomic<int> served_{0};
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

// Runs a command line with standard input empty: its standard output and error, and "exit N".
std::string RunProgram(const std::wstring& commandLine);
