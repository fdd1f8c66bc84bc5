// The disk service played by a thread of the test process: the service's own channel objects and
// request worker, on names that belong to this test alone. While one exists the program's client
// uses those names, and learns from it whether the service still runs.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "disk/service_channel.h"
#include "service/channel_objects.h"

class InProcessService {
public:
    InProcessService();   // creates the objects, starts the worker and points the client at them
    ~InProcessService();  // stops the worker and gives the client its own names back
    InProcessService(const InProcessService&) = delete;
    InProcessService& operator=(const InProcessService&) = delete;

    bool ok() const { return worker_ != nullptr; }
    const ServiceChannelNames& names() const { return names_; }

    // The service stops: the worker ends and the client's check says that the service is not running.
    void Stop();

    // Plays a client that ignores the rules: the test fills the block itself, then this signals the
    // request and waits for the response. False when no answer came within ten seconds.
    uint8_t* block() { return objects_.block; }
    bool SendRaw();

    // Debug texts the worker wrote since the last Clear.
    static std::vector<std::string> DebugTexts();
    static void ClearDebugTexts();

private:
    ServiceChannelNames names_;
    ChannelObjects objects_;
    HANDLE stop_ = nullptr;
    HANDLE worker_ = nullptr;
};

// Runs `work` on a thread of its own and waits up to `ms` for it. A call that hangs ends the test
// program at once with a message, rather than leaving it hanging on the client lock.
void MustFinishWithin(DWORD ms, const char* what, const std::function<void()>& work);
