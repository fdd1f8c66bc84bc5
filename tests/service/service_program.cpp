// Running the disk service executable and watching its service.
#include "service_program.h"

#include <string>

std::wstring ServiceExecutable() {
    std::string built = SLOTWISE_DISKSERVICE_EXE;
    std::wstring path(built.begin(), built.end());
    // Built on Linux: the path is a Unix one, which Wine shows on drive Z:.
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

ProgramRun RunProgram(const std::wstring& commandLine) {
    ProgramRun run;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE empty =
        CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = empty;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process = {};
    std::wstring line = commandLine;
    BOOL started = CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                                  &startup, &process);
    CloseHandle(writeEnd);
    if (empty != INVALID_HANDLE_VALUE) CloseHandle(empty);
    if (!started) {
        CloseHandle(readEnd);
        return run;
    }
    char buffer[4096];
    DWORD count = 0;
    while (ReadFile(readEnd, buffer, sizeof(buffer), &count, nullptr) && count > 0) {
        run.output.append(buffer, count);
    }
    CloseHandle(readEnd);
    run.finished = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return run;
}

ProgramRun RunServiceExecutable(const std::wstring& argument) {
    std::wstring line = L"\"" + ServiceExecutable() + L"\"";
    if (!argument.empty()) line += L" " + argument;
    return RunProgram(line);
}

DWORD ServiceState() {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return 0;
    DWORD state = 0;
    SC_HANDLE service = OpenServiceW(manager, L"ZRVKVN service", SERVICE_QUERY_STATUS);
    if (service) {
        SERVICE_STATUS status = {};
        if (QueryServiceStatus(service, &status)) state = status.dwCurrentState;
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return state;
}

bool WaitForServiceState(DWORD state) {
    for (int i = 0; i < 300; ++i) {
        if (ServiceState() == state) return true;
        Sleep(100);
    }
    return false;
}

bool StopService() {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return false;
    SC_HANDLE service = OpenServiceW(manager, L"ZRVKVN service", SERVICE_STOP);
    SERVICE_STATUS status = {};
    bool sent = service && ControlService(service, SERVICE_CONTROL_STOP, &status);
    if (service) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return sent;
}
