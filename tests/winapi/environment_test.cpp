// The disk route rule: which systems and users take the disk service.
#include "disk/environment.h"

#include <gtest/gtest.h>

TEST(DiskRoute, TheServiceServesWow64FromVistaOnAndEveryUserWhoIsNoAdministrator) {
    const struct {
        const char* system;
        uint32_t major;
        int32_t wow64, administrator, service;
    } cases[] = {
        {"32-bit XP, administrator", 5, 0, 1, 0},          {"32-bit XP, limited user", 5, 0, 0, 1},
        {"64-bit XP, administrator", 5, 1, 1, 0},          {"64-bit XP, limited user", 5, 1, 0, 1},
        {"64-bit Windows 7, administrator", 6, 1, 1, 1},   {"64-bit Windows 7, user", 6, 1, 0, 1},
        {"32-bit Windows 7, administrator", 6, 0, 1, 0},   {"32-bit Windows 10, user", 10, 0, 0, 1},
        {"64-bit Windows 10, administrator", 10, 1, 1, 1},
    };
    const EnvironmentInfo saved = environmentInfo;
    for (const auto& c : cases) {
        environmentInfo = {c.major, c.wow64, c.administrator, 1 - c.service};
        ChooseDiskRoute();
        EXPECT_EQ(environmentInfo.useDiskService, c.service) << c.system;
    }
    environmentInfo = saved;
}
