// The disk service executable: "/install", "/uninstall", or, without an argument, the service itself.
#include <windows.h>

#include "service/install.h"
#include "service/service_main.h"

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && _wcsicmp(argv[1], L"/install") == 0) return InstallService();
    if (argc > 1 && _wcsicmp(argv[1], L"/uninstall") == 0) return UninstallService();
    return RunAsService();
}
