// Starting the system's file browser on a directory: after an open or a backup job, and for
// the upload and backup directory commands. The program never waits for it.
#pragma once

#include <string>

class PcFileSystem;

// Starts a process from a command line; false when the system refuses.
using ProcessStarter = bool (*)(const std::wstring& commandLine);

// "explorer " + directory + "\." (explorer C:\up\E\FLOPPY003\.).
std::wstring ExplorerCommandLine(const std::wstring& directory);

// CreateProcessW with no application name, no inherited handles, creation flags 0x20 and default
// start-up information; both handles closed at once.
bool StartProcess(const std::wstring& commandLine);

// The starter used from here on (tests watch the command lines instead of opening browsers);
// null restores StartProcess.
void SetProcessStarter(ProcessStarter starter);

// Starts a command line through the current starter; false when it could not be started.
bool StartCommandLine(const std::wstring& commandLine);

// Starts the browser on directory. A failure is ignored.
void StartExplorer(const std::wstring& directory);

// Commands 1010 and 5103: creates the directory level by level (failures ignored), then starts
// the browser on it with the command line cut at 260 characters.
void OpenDirectoryInExplorer(PcFileSystem& pc, const std::wstring& directory);
