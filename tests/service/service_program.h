// Running the disk service executable the way a user or the batch files do, and watching the
// service it installs through the service control manager.
#pragma once

#include <windows.h>

#include <string>

struct ProgramRun {
    bool finished = false;  // false when it had not ended after a minute
    DWORD exitCode = 0;
    std::string output;  // what it wrote to standard output
};

// The built service executable, as a Windows path.
std::wstring ServiceExecutable();

// Runs `commandLine` with standard output captured and standard input empty.
ProgramRun RunProgram(const std::wstring& commandLine);

// Runs the service executable with `argument` ("/install", "/uninstall" or nothing).
ProgramRun RunServiceExecutable(const std::wstring& argument);

// The current state of "ZRVKVN service" (SERVICE_RUNNING, ...), or 0 when it does not exist.
DWORD ServiceState();

// Waits up to thirty seconds for the state; 0 waits for the service to be gone.
bool WaitForServiceState(DWORD state);

// Sends the stop control to "ZRVKVN service".
bool StopService();
