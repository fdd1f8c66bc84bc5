// Conversion between the system's 8-bit (ANSI) code page and 16-bit characters, for 8.3 names.
// Windows uses the active code page; elsewhere Windows-1252 stands in for it.
#pragma once

#include <cstddef>

// Converts length bytes; returns the characters written (at most capacity, no NUL added).
size_t AnsiToWide(const char* text, size_t length, char16_t* out, size_t capacity);

// Converts length characters; characters without an 8-bit form become '?'. Returns the bytes
// written (at most capacity, no NUL added).
size_t WideToAnsi(const char16_t* text, size_t length, char* out, size_t capacity);
