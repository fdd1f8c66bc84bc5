// The disk route of the tool on POSIX systems: sticks are block devices, opened as files.
#include "cli/disk_access.h"

DiskAccess::DiskAccess() = default;

DiskAccess::~DiskAccess() = default;
