// The start-up order and the shutdown steps of the program.
#include "app/startup.h"

#include <commctrl.h>
#include <objbase.h>

#include "app/app_module.h"
#include "app/command_line.h"
#include "app/image_drives.h"
#include "app/message_box.h"
#include "app/single_instance.h"
#include "app/texts.h"
#include "disk/attached_images.h"
#include "disk/drive_discovery.h"
#include "disk/environment.h"
#include "disk/service_client.h"

namespace {

constexpr int kTextUnsupportedSystem = 61430;
constexpr int kTextServiceUnavailable = 61437;
constexpr LCID kUsEnglish = 0x0409;
constexpr DWORD kBarClasses = ICC_BAR_CLASSES | ICC_COOL_CLASSES;  // 0x0404
constexpr DWORD kCommonClasses = 0x00FF;

void InitCommonControlClasses(DWORD classes) {
    INITCOMMONCONTROLSEX init = {};
    init.dwSize = sizeof(init);
    init.dwICC = classes;
    InitCommonControlsEx(&init);
}

void AttachCommandLineImages(const wchar_t* commandLine) {
    for (const std::wstring& path : DriveImagesFromCommandLine(commandLine)) {
        int status = AttachImageDrive(path);
        if (status != ATTACH_OK) ShowMessage(AttachStatusText(status, path), MB_ICONEXCLAMATION | MB_OK);
    }
}

// Steps 2 to 6: false when the program stops before its window, having said why if it must.
bool PrepareToRun(const wchar_t* commandLine) {
    if (!CheckEnvironment()) {
        ShowMessage(kTextUnsupportedSystem, MB_ICONEXCLAMATION | MB_OK);
        return false;
    }
    ChooseDiskRoute();
    if (!AcquireSingleInstance()) return false;
    appTitle = LoadResourceText(kTextAppTitle);
    if (environmentInfo.useDiskService) {
        if (!IsDiskServiceRunning() || !ConnectDiskService(GetCurrentProcess())) {
            ShowMessage(kTextServiceUnavailable, MB_ICONEXCLAMATION | MB_OK);
            return false;
        }
    }
    AttachCommandLineImages(commandLine);
    return true;
}

}  // namespace

int RunProgram(HINSTANCE instance, const wchar_t* commandLine, int showCommand, MainWindowRunner runMainWindow) {
    CoInitialize(nullptr);
    SetThreadLocale(kUsEnglish);
    InitCommonControlClasses(kBarClasses);
    // Makes sure the window manager has set this thread up before any control class is used.
    DefWindowProcW(nullptr, 0, 0, 0);
    InitCommonControlClasses(kCommonClasses);
    InitAppModule(instance);

    int exitCode = 0;
    if (PrepareToRun(commandLine)) {
        exitCode = runMainWindow(showCommand);
        DisconnectDiskService(GetCurrentProcess());
        // Always released directly, never through the disk service.
        UnregisterDiskNotifications();
        PublishMainWindow(nullptr);
    }

    TermAppModule();
    CoUninitialize();
    return exitCode;
}
