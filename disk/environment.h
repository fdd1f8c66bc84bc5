// The facts about the running system that decide how raw disk access is made: the Windows major
// version, WOW64 and membership of the Administrators group, and the route chosen from them.
// Filled once at start-up, read-only afterwards.
#pragma once

#include <cstdint>

struct EnvironmentInfo {
    uint32_t osMajorVersion = 0;  // 5 for Windows 2000/XP/2003, 6 and above for Vista and later
    int32_t isWow64 = 0;          // a 32-bit process on 64-bit Windows
    int32_t isAdministrator = 0;  // the process token holds the built-in Administrators group enabled
    int32_t useDiskService = 0;   // raw disk calls go to the disk service instead of Win32
};

extern EnvironmentInfo environmentInfo;

// The route rule: the service is used on 64-bit Windows from Vista on, and by every user who is not
// an administrator; everyone else calls Win32 directly.
bool NeedsDiskService(uint32_t osMajorVersion, bool isWow64, bool isAdministrator);

// Sets environmentInfo.useDiskService from the other three fields.
void ChooseDiskRoute();

#ifdef _WIN32
// Refuses non-NT Windows (false; the caller shows the message), otherwise fills osMajorVersion,
// isWow64 and isAdministrator of environmentInfo and returns true.
bool CheckEnvironment();

// True when IsWow64Process exists and says so.
bool QueryWow64();

// True when the process token's groups, read into 1,024 bytes, include S-1-5-32-544 enabled. The
// deny-only group of an administrator's process that is not elevated does not count.
bool IsUserAdministrator();

// The search of IsUserAdministrator over a TOKEN_GROUPS record.
bool TokenGroupsListAdministrators(const void* tokenGroups);
#endif
