// Conversion between the file engine's 16-bit long names and the program's wide strings
// (UTF-16 on Windows, UTF-32 elsewhere).
#pragma once

#include <cstddef>
#include <string>

// The NUL-terminated name, read within capacity characters.
std::wstring WideFromUtf16(const char16_t* text, size_t capacity);

// Writes text as UTF-16 with a NUL into out; a character that would not fit with the NUL is
// left out, with everything after it. Returns the characters written, the NUL not counted.
size_t Utf16FromWide(const std::wstring& text, char16_t* out, size_t capacity);
