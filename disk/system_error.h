// The last system error: one process-wide copy of the error code of the last failing
// OS call. Operations that fail in an OS call store it here and return -1; the message
// boxes and the command-line tool read it back to tell the user what went wrong.
#pragma once

#include <cstdint>
#include <string>

// Win32 error code on Windows, errno value elsewhere.
uint32_t LastSystemError();
void SetLastSystemError(uint32_t code);

// Stores the calling thread's current OS error (GetLastError / errno) and returns it.
uint32_t CaptureLastSystemError();

// The system's own message for an error code, without trailing line breaks; empty when
// the system knows no text for it.
std::wstring SystemErrorText(uint32_t code);
