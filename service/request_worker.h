// The disk service's request worker: executes each request the program places in the shared block
// by making the Win32 call itself, and answers with the result and the last error. Every request is
// answered, so a bad one never wedges the channel. It knows each client by the process id its
// requests carry, and closes what a client left open once the client's process has ended.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "disk/raw_calls.h"
#include "service/channel_objects.h"
#include "service/own_handles.h"

class RequestWorker {
public:
    // `calls` makes the drive calls (Win32 itself, or a test's machine); device notifications are
    // always Win32's.
    explicit RequestWorker(uint8_t* block, const RawCallTable& calls = DirectRawCalls());
    ~RequestWorker();  // closes what clients left open
    RequestWorker(const RequestWorker&) = delete;
    RequestWorker& operator=(const RequestWorker&) = delete;

    // Executes the request in the block and writes its answer there. Commands outside 7 to 14 change
    // nothing; disconnect (15) closes what that client left open.
    void Execute();

    // Closes the handles of clients whose processes have ended.
    void ReleaseEndedClients();

private:
    struct Client {
        uint32_t processId;
        HANDLE process;  // waited on: signalled when the client's process ends
    };
    // Remembers the client of the request, to learn when it ends. Up to kMaxClients at once.
    void Meet(uint32_t processId);
    void Forget(uint32_t processId);
    void CloseHandlesOf(uint32_t processId);

    void Open();
    void Close();
    void Write();
    void Read();
    void Control();
    void Seek();
    void RegisterNotification();
    void UnregisterNotification();
    void Answer(uint32_t result, uint32_t error);

    static constexpr size_t kMaxClients = 32;
    uint8_t* block_;
    const RawCallTable& calls_;
    uint32_t client_ = 0;  // the process id of the request being executed
    std::vector<Client> clients_;
    OwnHandles files_;
    OwnHandles notifications_;
    // Transfers and device control work on a private, aligned copy of the data area: the client
    // cannot change a request between the check and the call, and unbuffered drives get the
    // alignment they need.
    std::unique_ptr<uint8_t, void (*)(void*)> scratch_;
};

// Serves requests until `stop` is signalled: waits for the request event, executes the request and
// signals the response event, one request at a time; between requests, looks for ended clients.
void ServeRequests(const ChannelObjects& objects, HANDLE stop, const RawCallTable& calls = DirectRawCalls());
