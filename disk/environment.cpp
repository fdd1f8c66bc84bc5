// The environment record and the rule that chooses the disk route from it.
#include "disk/environment.h"

EnvironmentInfo environmentInfo;

bool NeedsDiskService(uint32_t osMajorVersion, bool isWow64, bool isAdministrator) {
    return (osMajorVersion > 5 && isWow64) || !isAdministrator;
}

void ChooseDiskRoute() {
    environmentInfo.useDiskService = NeedsDiskService(environmentInfo.osMajorVersion, environmentInfo.isWow64 != 0,
                                                      environmentInfo.isAdministrator != 0)
                                         ? 1
                                         : 0;
}
