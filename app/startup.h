// Start-up and shutdown around the main window: COM and the common controls, the environment
// check and the disk route, the single-instance rule, the drive images of the command line, the
// disk service connection, and undoing all of it on the way out. Windows only.
#pragma once

#include <windows.h>

// Runs the main window with the show command and returns its message loop's exit code (0 when
// the window cannot be created).
using MainWindowRunner = int (*)(int showCommand);

// The whole life of the program. commandLine is the full command line, program name included.
// Returns the process exit code: the main window's, or 0 when start-up stops early (a refused
// system, another instance brought to the front, no disk service where one is needed).
int RunProgram(HINSTANCE instance, const wchar_t* commandLine, int showCommand, MainWindowRunner runMainWindow);
