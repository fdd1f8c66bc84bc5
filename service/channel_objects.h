// The disk service's end of the channel: the shared block, the two events and the exchange mutex,
// created under a security descriptor that lets Everyone and the Administrators open them, so that
// the program can reach them when it runs as an ordinary user.
#pragma once

#include <windows.h>

#include <cstdint>

#include "disk/service_channel.h"

struct ChannelObjects {
    HANDLE mapping = nullptr;
    uint8_t* block = nullptr;   // the whole block, mapped with full access
    HANDLE request = nullptr;   // auto-reset, signalled by the client
    HANDLE response = nullptr;  // auto-reset, signalled by the service
    HANDLE exchange = nullptr;  // held by a client for each exchange; never by the service
};

// True when all five exist. A failure writes "CreateFileMapping error %d", "CreateEvent error %d" or
// "CreateMutex error %d" as a debug text and leaves nothing open. A name that already exists and
// was made by another account fails with ERROR_ALREADY_EXISTS: whoever made it could read every
// request or answer in the service's place. Objects this account made (a program still holds those
// of the service's last run) are taken on.
bool CreateChannelObjects(const ServiceChannelNames& names, ChannelObjects* objects);
void CloseChannelObjects(ChannelObjects* objects);
