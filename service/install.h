// "/install" and "/uninstall": registering the disk service with the service control manager and
// removing it again. Messages go to the console.
#pragma once

#include <string>

// Creates "ZRVKVN service" (automatic start, this executable) and starts it. 0 on success, else 1.
int InstallService();

// Stops "ZRVKVN service", waits for its process to end, and deletes it. 0 on success, else 1.
int UninstallService();

// The path the service manager is to start the executable at `path` by, quoted so that a folder name
// with blanks cannot be taken for a shorter program path. The service manager cannot start a
// program by a path of MAX_PATH or more characters, so such a path is given in its short form;
// when even that is too long (or the volume keeps no short names) the result is empty with
// ERROR_FILENAME_EXCED_RANGE, and empty with the system's error when the short form cannot be had.
std::wstring ServicePathFor(std::wstring path);
