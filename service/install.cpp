// Installing and uninstalling the disk service.
#include "service/install.h"

#include <windows.h>

#include <cstdio>

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

}  // namespace

int InstallService() {
    ProbeService();
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) {
        printf("Couldn't open service manager(%d)\n", static_cast<int>(GetLastError()));
        return 1;
    }
    // Quoted, so that a folder name with blanks cannot be taken for a shorter program path.
    wchar_t path[MAX_PATH + 2] = L"\"";
    DWORD length = GetModuleFileNameW(nullptr, path + 1, MAX_PATH);
    path[1 + length] = L'"';
    path[2 + length] = L'\0';
    SC_HANDLE service =
        CreateServiceW(manager, kServiceName, kServiceName, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                       SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, path, nullptr, nullptr, nullptr, nullptr, nullptr);
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
    SC_HANDLE service = OpenServiceW(manager, kServiceName, SERVICE_STOP | DELETE);
    if (!service) {
        printf("open kvn service failure(%x)\n", static_cast<unsigned>(GetLastError()));
        CloseServiceHandle(manager);
        return 1;
    }
    SERVICE_STATUS status = {};
    ControlService(service, SERVICE_CONTROL_STOP, &status);
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
