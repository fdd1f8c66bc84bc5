// Installing and uninstalling the disk service.
#include "service/install.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "service/service_log.h"

namespace {

const wchar_t kServiceName[] = L"ZRVKVN service";
wchar_t kDescription[] =
    L"Reads and writes USB floppy-emulator sticks for Slotwise users without administrator rights.";

// Looks whether the service exists; nothing is done with the answer.
void ProbeService() {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return;
    SC_HANDLE service = OpenServiceW(manager, kServiceName, SERVICE_QUERY_STATUS);
    if (service) CloseServiceHandle(service);
    CloseServiceHandle(manager);
}

// The executable's full path, however long: the buffer grows until the path fits. Empty, with the
// last error set, when it cannot be had.
std::wstring OwnPath() {
    constexpr size_t kLongestPath = 32768;  // the longest path Windows has
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        // A path that filled the buffer may have been cut (without a terminator before Vista).
        if (length < path.size()) return path.substr(0, length);
        if (path.size() >= kLongestPath) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return std::wstring();
        }
        path.resize(path.size() * 2);
    }
}

// Stops the service and waits, up to 30 s, for its process to end, so that the exe is free when
// /uninstall returns: an installer replaces or deletes it next.
void StopAndWait(SC_HANDLE service) {
    SERVICE_STATUS_PROCESS process = {};
    DWORD needed = 0;
    HANDLE running = nullptr;
    if (QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&process), sizeof(process),
                             &needed) &&
        process.dwProcessId != 0) {
        running = OpenProcess(SYNCHRONIZE, FALSE, process.dwProcessId);
    }
    SERVICE_STATUS status = {};
    if (ControlService(service, SERVICE_CONTROL_STOP, &status) && running) WaitForSingleObject(running, 30000);
    if (running) CloseHandle(running);
}

}  // namespace

std::wstring ServicePathFor(std::wstring path) {
    if (path.empty() || path.size() < MAX_PATH) return path.empty() ? path : L"\"" + path + L"\"";
    // A path this long is only looked up with the \\?\ prefix.
    const std::wstring prefix = L"\\\\?\\", unc = L"\\\\?\\UNC";
    if (path.compare(0, 4, prefix) != 0) path = path.compare(0, 2, L"\\\\") == 0 ? unc + path.substr(1) : prefix + path;
    std::wstring shortPath(path.size() + 1, L'\0');
    const DWORD length = GetShortPathNameW(path.c_str(), &shortPath[0], static_cast<DWORD>(shortPath.size()));
    if (length == 0 || length >= shortPath.size()) return std::wstring();
    shortPath.resize(length);
    if (shortPath.compare(0, unc.size() + 1, unc + L"\\") == 0) {
        shortPath.replace(0, unc.size(), L"\\");
    } else if (shortPath.compare(0, 4, prefix) == 0) {
        shortPath.erase(0, 4);
    }
    if (shortPath.size() >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return std::wstring();
    }
    return L"\"" + shortPath + L"\"";
}

int InstallService() {
    ProbeService();
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) {
        printf("Couldn't open service manager(%d)\n", static_cast<int>(GetLastError()));
        return 1;
    }
    const std::wstring path = ServicePathFor(OwnPath());
    SC_HANDLE service = path.empty()
                            ? nullptr
                            : CreateServiceW(manager, kServiceName, kServiceName, SERVICE_ALL_ACCESS,
                                             SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                             path.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!service) {
        printf("createservice failure(%d)\n", static_cast<int>(GetLastError()));
        CloseServiceHandle(manager);
        return 1;
    }
    SERVICE_DESCRIPTIONW description = {kDescription};
    ChangeServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, &description);
    StartServiceW(service, 0, nullptr);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    printf("create service success!\n");
    return 0;
}

int UninstallService() {
    ProbeService();
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) {
        printf("open manager failure(%d)!\n", static_cast<int>(GetLastError()));
        return 1;
    }
    SC_HANDLE service = OpenServiceW(manager, kServiceName, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE);
    if (!service) {
        printf("open kvn service failure(%x)\n", static_cast<unsigned>(GetLastError()));
        CloseServiceHandle(manager);
        return 1;
    }
    StopAndWait(service);
    int result = 0;
    if (!DeleteService(service)) {
        printf("ZRVKVNService could not be deleted(%d)\n", static_cast<int>(GetLastError()));
        EventLogEntry("ZRVKVNService could not be deleted");
        result = 1;
    }
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return result;
}
