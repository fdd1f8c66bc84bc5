// The disk route rule: which systems and users take the disk service, and who counts as an
// administrator.
#include <windows.h>

#include <gtest/gtest.h>

#include "disk/environment.h"

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

TEST(DiskRoute, OnlyAnEnabledAdministratorsGroupMakesAnAdministrator) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID users = nullptr, administrators = nullptr;
    AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0, 0, 0, 0, 0, 0, &users);
    AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                             &administrators);
    const DWORD enabled = SE_GROUP_MANDATORY | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_ENABLED;
    std::string said;
    // An elevated administrator; one under user account control, not elevated; a user.
    for (DWORD attributes : {enabled, DWORD{SE_GROUP_USE_FOR_DENY_ONLY}, DWORD{0}}) {
        struct {
            DWORD count;
            SID_AND_ATTRIBUTES groups[2];
        } token = {2, {{users, enabled}, {attributes ? administrators : users, attributes}}};
        said += std::to_string(TokenGroupsListAdministrators(&token));
    }
    FreeSid(users);
    FreeSid(administrators);
    EXPECT_EQ(said, "100");
}
