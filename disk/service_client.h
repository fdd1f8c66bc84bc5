// The program's side of the disk service channel: whether the service runs, connecting and
// disconnecting, and the forwarding behind ServiceRawCalls (disk/raw_calls.h). One request is in
// flight at a time across all processes: every forwarded call holds the client lock and the
// channel's exchange mutex from filling the block to reading the answer, and sends the process id.
// A call the service does not answer in time fails with ERROR_TIMEOUT, one it stopped before
// answering with ERROR_SERVICE_NOT_ACTIVE; either releases the channel. A call whose turn does not
// come in time (another client waits for a silent service) fails with ERROR_TIMEOUT alone.
#pragma once

#include <cstdint>

#include "disk/service_channel.h"

// True exactly when the service control manager reports the service as running.
bool IsDiskServiceRunning();

// Opens the block, both events and the exchange mutex and says hello to the service. True without
// doing anything when the direct route is in use; false when an object cannot be opened or the
// service does not answer.
bool ConnectDiskService(void* process);

// Says goodbye and releases the channel; forwarded calls then fail with ERROR_SERVICE_NOT_ACTIVE.
void DisconnectDiskService(void* process);

// Runs the channel under other names, so that tests can run side by side. Only while not connected.
void UseServiceChannelNames(const ServiceChannelNames& names);

// While waiting for an answer the client checks between slices whether the service still runs; this
// replaces that check (null restores IsDiskServiceRunning), for a service played by a test thread.
using ServiceAliveCheck = bool (*)();
void UseServiceAliveCheck(ServiceAliveCheck check);

// How long a running service may take to answer before the call fails with ERROR_TIMEOUT (0: the
// program's two minutes); for tests of a service that does not answer.
void UseServiceAnswerTimeout(uint32_t ms);
