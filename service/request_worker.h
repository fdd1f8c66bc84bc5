// The disk service's request worker: executes each request the program places in the shared block
// by making the Win32 call itself, and answers with the result and the last error. Every request is
// answered, so a bad one never wedges the channel.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "service/channel_objects.h"
#include "service/own_handles.h"

class RequestWorker {
public:
    explicit RequestWorker(uint8_t* block);
    ~RequestWorker();  // closes what clients left open
    RequestWorker(const RequestWorker&) = delete;
    RequestWorker& operator=(const RequestWorker&) = delete;

    // Executes the request in the block and writes its answer there. Commands outside 7 to 14 change
    // nothing.
    void Execute();

private:
    void Open();
    void Close();
    void Write();
    void Read();
    void Control();
    void Seek();
    void RegisterNotification();
    void UnregisterNotification();
    void Answer(uint32_t result, uint32_t error);

    uint8_t* block_;
    OwnHandles files_;
    OwnHandles notifications_;
    // Device control works on a private copy of the data area, so that the client cannot change the
    // request between the check and the call.
    std::unique_ptr<uint8_t[]> scratch_;
};

// Serves requests until `stop` is signalled: waits for the request event, executes the request and
// signals the response event, one request at a time.
void ServeRequests(const ChannelObjects& objects, HANDLE stop);
