// The program's entry point: the start-up sequence run around the main window.
#include <windows.h>

#include "app/startup.h"
#include "ui/main_frame.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // The drive images are read from the whole line, split by the system's own rules.
    return RunProgram(instance, GetCommandLineW(), showCommand, RunMainWindow);
}
