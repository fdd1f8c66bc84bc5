// The disk service's end of the channel: the shared block and the two events, created under a
// security descriptor that lets Everyone and the Administrators open them, so that the program can
// reach them when it runs as an ordinary user.
#pragma once

#include <windows.h>

#include <cstdint>

#include "disk/service_channel.h"

struct ChannelObjects {
    HANDLE mapping = nullptr;
    uint8_t* block = nullptr;   // the whole block, mapped with full access
    HANDLE request = nullptr;   // auto-reset, signalled by the client
    HANDLE response = nullptr;  // auto-reset, signalled by the service
};

// True when all four exist. A failure writes "CreateFileMapping error %d" or "CreateEvent error %d"
// as a debug text and leaves nothing open.
bool CreateChannelObjects(const ServiceChannelNames& names, ChannelObjects* objects);
void CloseChannelObjects(ChannelObjects* objects);
