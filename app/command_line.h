// The program's command line. Only "--drive-image PATH" is interpreted (any number of times):
// each PATH is an image file attached as a drive at start. Everything else is ignored.
// Windows only.
#pragma once

#include <string>
#include <vector>

// The drive image paths of a whole command line, program name included (as GetCommandLineW gives
// it), in the order given. A last "--drive-image" without a path is ignored.
std::vector<std::wstring> DriveImagesFromCommandLine(const wchar_t* commandLine);
