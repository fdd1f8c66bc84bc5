// The service main routine and control handler of the disk service.
#include "service/service_main.h"

#include <windows.h>

#include "disk/service_channel.h"
#include "service/channel_objects.h"
#include "service/request_worker.h"
#include "service/service_log.h"

namespace {

// How long stopping waits for a request in progress before the service reports that it stopped.
constexpr DWORD kWorkerStopWaitMs = 5000;

wchar_t serviceName[] = L"ZRVKVN service";
SERVICE_STATUS_HANDLE statusHandle = nullptr;
SERVICE_STATUS status = {};
HANDLE stopEvent = nullptr;
ChannelObjects channel;

void ReportState(DWORD state) {
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    status.dwWin32ExitCode = 0;
    status.dwServiceSpecificExitCode = 0;
    status.dwCheckPoint = 0;
    status.dwWaitHint = 0;
    SetServiceStatus(statusHandle, &status);
}

DWORD WINAPI ControlHandler(DWORD control, DWORD, void*, void*) {
    switch (control) {
        case SERVICE_CONTROL_STOP:
            ReportState(SERVICE_STOP_PENDING);
            SetEvent(stopEvent);
            return NO_ERROR;
        case SERVICE_CONTROL_PAUSE:
        case SERVICE_CONTROL_CONTINUE:
        case SERVICE_CONTROL_INTERROGATE:
        case SERVICE_CONTROL_SHUTDOWN:
        case SERVICE_CONTROL_DEVICEEVENT: return NO_ERROR;
        default: EventLogEntry("Bad service request"); return NO_ERROR;
    }
}

DWORD WINAPI WorkerThread(void*) {
    ServeRequests(channel, stopEvent);
    return 0;
}

void WINAPI ServiceMain(DWORD, wchar_t**) {
    statusHandle = RegisterServiceCtrlHandlerExW(serviceName, ControlHandler, nullptr);
    if (!statusHandle) {
        EventLogEntry("Handler not installed");
        return;
    }
    ReportState(SERVICE_START_PENDING);
    stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // Without the objects the service runs on without a channel; the program then cannot connect.
    HANDLE worker = nullptr;
    if (CreateChannelObjects(DiskServiceNames(), &channel)) {
        worker = CreateThread(nullptr, 0, WorkerThread, nullptr, 0, nullptr);
    }
    ReportState(SERVICE_RUNNING);
    WaitForSingleObject(stopEvent, INFINITE);
    if (worker) {
        // The worker sees the stop event too; a request in a device call may keep it a moment.
        if (WaitForSingleObject(worker, kWorkerStopWaitMs) == WAIT_OBJECT_0) CloseChannelObjects(&channel);
        CloseHandle(worker);
    }
    ReportState(SERVICE_STOPPED);
    EventLogEntry("Service stopped");
    DebugText("ServiceMain Leave");
}

}  // namespace

int RunAsService() {
    SERVICE_TABLE_ENTRYW table[] = {{serviceName, ServiceMain}, {nullptr, nullptr}};
    if (!StartServiceCtrlDispatcherW(table)) {
        EventLogEntry("Register Service Main Function Error!");
        return 1;
    }
    return 0;
}
