// Splitting the command line by the system's rules and picking out the drive images.
#include "app/command_line.h"

#include <windows.h>

#include <shellapi.h>

std::vector<std::wstring> DriveImagesFromCommandLine(const wchar_t* commandLine) {
    std::vector<std::wstring> images;
    // An empty line would be taken for the running program's own name.
    if (!commandLine || !*commandLine) return images;
    int count = 0;
    wchar_t** args = CommandLineToArgvW(commandLine, &count);
    if (!args) return images;
    for (int i = 1; i + 1 < count; ++i) {
        if (std::wstring(args[i]) == L"--drive-image") images.push_back(args[++i]);
    }
    LocalFree(args);
    return images;
}
