// Windows side of the environment checks: version, WOW64 and the Administrators group.
#include <windows.h>

#include "disk/environment.h"

bool CheckEnvironment() {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);  // 276
    GetVersionExW(&info);
    if (info.dwPlatformId != VER_PLATFORM_WIN32_NT) return false;
    environmentInfo.osMajorVersion = info.dwMajorVersion;
    environmentInfo.isWow64 = QueryWow64() ? 1 : 0;
    environmentInfo.isAdministrator = IsUserAdministrator() ? 1 : 0;
    return true;
}

bool QueryWow64() {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    // Looked up at run time: Windows 2000 and early XP do not have it.
    HMODULE kernel = GetModuleHandleW(L"kernel32");
    FARPROC proc = kernel ? GetProcAddress(kernel, "IsWow64Process") : nullptr;
    if (!proc) return false;
    auto isWow64Process = reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void (*)()>(proc));
    BOOL wow64 = FALSE;
    if (!isWow64Process(GetCurrentProcess(), &wow64)) return false;
    return wow64 != FALSE;
}

bool TokenGroupsListAdministrators(const void* tokenGroups) {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                  0, &administrators)) {
        return false;
    }
    const auto* groups = static_cast<const TOKEN_GROUPS*>(tokenGroups);
    bool found = false;
    // Under user account control an administrator's process holds the group for denying only: it
    // cannot open drives, so it counts as no administrator and takes the disk service.
    for (DWORD i = 0; i < groups->GroupCount && !found; ++i) {
        const DWORD attributes = groups->Groups[i].Attributes;
        found = EqualSid(groups->Groups[i].Sid, administrators) != FALSE && (attributes & SE_GROUP_ENABLED) &&
                !(attributes & SE_GROUP_USE_FOR_DENY_ONLY);
    }
    FreeSid(administrators);
    return found;
}

bool IsUserAdministrator() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    // A token whose groups do not fit in 1,024 bytes counts as not administrator.
    alignas(8) unsigned char buffer[1024];
    DWORD needed = 0;
    BOOL ok = GetTokenInformation(token, TokenGroups, buffer, sizeof(buffer), &needed);
    CloseHandle(token);
    if (!ok) return false;
    return TokenGroupsListAdministrators(buffer);
}
