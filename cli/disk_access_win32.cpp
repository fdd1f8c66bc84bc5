// The disk route of the tool on Windows. Without the service, where the route needs it, every
// raw call fails with ERROR_SERVICE_NOT_ACTIVE, and the command that needed a stick says so.
#include <windows.h>

#include "cli/disk_access.h"
#include "disk/environment.h"
#include "disk/service_client.h"

DiskAccess::DiskAccess() {
    // Only NT Windows reaches sticks raw; elsewhere images still work.
    if (!CheckEnvironment()) return;
    ChooseDiskRoute();
    if (environmentInfo.useDiskService)
        connected_ = IsDiskServiceRunning() && ConnectDiskService(GetCurrentProcess());
}

DiskAccess::~DiskAccess() {
    if (connected_) DisconnectDiskService(GetCurrentProcess());
}
