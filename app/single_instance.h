// The single-instance rule: a named, page-file-backed mapping of 4 bytes holding the main window
// of the instance that owns the user interface (0 while there is none). A second start brings
// that window to the front and exits. Windows only.
#pragma once

#include <windows.h>

constexpr wchar_t kInstanceMappingName[] = L"{3B9D7E41-5A2C-4f06-8E1B-C47A09D25F63}";

// True when start-up goes on: this process holds the mapping (made now, or found holding no live
// window). False when the mapping cannot be made or mapped, and when another instance owns a
// live main window, which is then restored if minimised and brought to the front.
bool AcquireSingleInstance();

// Writes window into the mapping, if this process holds it. A null window writes 0 and then
// releases the mapping (shutdown).
void PublishMainWindow(HWND window);

// The 32-bit window value as the mapping stores it, and back.
DWORD WindowToInstanceValue(HWND window);
HWND InstanceValueToWindow(DWORD value);

// Runs the rule under another mapping name, so that tests do not meet a running program. Only
// while the mapping is not held.
void UseInstanceMappingName(const wchar_t* name);
