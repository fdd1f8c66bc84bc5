// The route rule and the facts it is fed: WOW64 and membership of the Administrators group.
#include "disk/environment.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct RouteCase {
    const char* system;
    uint32_t osMajorVersion;
    bool isWow64;
    bool isAdministrator;
    bool service;
};

// A TOKEN_GROUPS record with the given SIDs, each with the given attributes.
class Groups {
public:
    Groups(const std::vector<WELL_KNOWN_SID_TYPE>& sids, DWORD attributes) {
        buffer_.resize(sizeof(TOKEN_GROUPS) + sids.size() * sizeof(SID_AND_ATTRIBUTES));
        auto* groups = reinterpret_cast<TOKEN_GROUPS*>(buffer_.data());
        groups->GroupCount = static_cast<DWORD>(sids.size());
        sids_.resize(sids.size());
        for (size_t i = 0; i < sids.size(); ++i) {
            DWORD size = SECURITY_MAX_SID_SIZE;
            sids_[i].resize(size);
            CreateWellKnownSid(sids[i], nullptr, sids_[i].data(), &size);
            groups->Groups[i].Sid = sids_[i].data();
            groups->Groups[i].Attributes = attributes;
        }
    }
    const void* get() const { return buffer_.data(); }

private:
    std::vector<unsigned char> buffer_;
    std::vector<std::vector<unsigned char>> sids_;
};

}  // namespace

TEST(DiskRoute, FollowsTheRuleForEachKindOfSystem) {
    const RouteCase cases[] = {
        {"32-bit XP, administrator", 5, false, true, false},
        {"32-bit XP, limited user", 5, false, false, true},
        {"64-bit XP, administrator", 5, true, true, false},
        {"64-bit XP, limited user", 5, true, false, true},
        {"64-bit Windows 7, administrator", 6, true, true, true},
        {"64-bit Windows 7, user", 6, true, false, true},
        {"32-bit Windows 7, administrator not elevated", 6, false, true, false},
        {"32-bit Windows 7, user", 6, false, false, true},
        {"64-bit Windows 10, administrator", 10, true, true, true},
    };
    for (const RouteCase& c : cases) {
        EXPECT_EQ(NeedsDiskService(c.osMajorVersion, c.isWow64, c.isAdministrator), c.service) << c.system;
        EnvironmentInfo saved = environmentInfo;
        environmentInfo.osMajorVersion = c.osMajorVersion;
        environmentInfo.isWow64 = c.isWow64;
        environmentInfo.isAdministrator = c.isAdministrator;
        environmentInfo.useDiskService = c.service ? 0 : 1;
        ChooseDiskRoute();
        EXPECT_EQ(environmentInfo.useDiskService, c.service ? 1 : 0) << c.system;
        environmentInfo = saved;
    }
}

TEST(Administrators, FoundAnywhereInTheGroupsWhateverTheAttributes) {
    EXPECT_TRUE(TokenGroupsListAdministrators(
        Groups({WinWorldSid, WinBuiltinUsersSid, WinBuiltinAdministratorsSid}, SE_GROUP_ENABLED).get()));
    EXPECT_TRUE(TokenGroupsListAdministrators(Groups({WinBuiltinAdministratorsSid}, SE_GROUP_ENABLED).get()));
    // The filtered token of an administrator under user account control lists the group for deny only.
    EXPECT_TRUE(TokenGroupsListAdministrators(
        Groups({WinBuiltinUsersSid, WinBuiltinAdministratorsSid}, SE_GROUP_USE_FOR_DENY_ONLY).get()));
}

TEST(Administrators, AbsentWhenNoGroupIsTheAdministratorsGroup) {
    EXPECT_FALSE(TokenGroupsListAdministrators(Groups({}, SE_GROUP_ENABLED).get()));
    EXPECT_FALSE(TokenGroupsListAdministrators(
        Groups({WinWorldSid, WinBuiltinUsersSid, WinBuiltinPowerUsersSid, WinLocalSystemSid}, SE_GROUP_ENABLED).get()));
}

TEST(Administrators, ProcessTokenAnswerAgreesWithTheSystemsMembershipCheck) {
    // No deny-only groups here, so the system's own check must give the same answer.
    unsigned char sid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(sid);
    ASSERT_TRUE(CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &size));
    BOOL member = FALSE;
    ASSERT_TRUE(CheckTokenMembership(nullptr, sid, &member));
    EXPECT_EQ(IsUserAdministrator(), member != FALSE);
}

TEST(Environment, CheckFillsTheRecordOnNt) {
    EnvironmentInfo saved = environmentInfo;
    environmentInfo = EnvironmentInfo();
    ASSERT_TRUE(CheckEnvironment());
    EXPECT_GE(environmentInfo.osMajorVersion, 5u);
    // A process is WOW64 exactly when it is 32-bit on a 64-bit system.
    SYSTEM_INFO native = {};
    GetNativeSystemInfo(&native);
    bool nativeIs64 = native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
                      native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ARM64;
    EXPECT_EQ(environmentInfo.isWow64 != 0, sizeof(void*) == 4 && nativeIs64);
    EXPECT_EQ(QueryWow64(), environmentInfo.isWow64 != 0);
    EXPECT_EQ(environmentInfo.isAdministrator != 0, IsUserAdministrator());
    environmentInfo = saved;
}
