// The program's side of the disk service channel: whether the service runs, connecting and
// disconnecting, and the forwarding behind ServiceRawCalls (disk/raw_calls.h). One request is in
// flight at a time; every forwarded call holds the client lock from filling the block to reading
// the answer.
#pragma once

#include "disk/service_channel.h"

// True exactly when the service control manager reports the service as running.
bool IsDiskServiceRunning();

// Opens the block and both events and says hello to the service. True without doing anything when
// the direct route is in use; false when an object cannot be opened or the service stops answering.
bool ConnectDiskService(void* process);

// Says goodbye and releases the channel; forwarded calls then fail with ERROR_SERVICE_NOT_ACTIVE.
void DisconnectDiskService(void* process);

// Runs the channel under other names, so that tests can run side by side. Only while not connected.
void UseServiceChannelNames(const ServiceChannelNames& names);

// While waiting for an answer the client checks between slices whether the service still runs; this
// replaces that check (null restores IsDiskServiceRunning), for a service played by a test thread.
using ServiceAliveCheck = bool (*)();
void UseServiceAliveCheck(ServiceAliveCheck check);
