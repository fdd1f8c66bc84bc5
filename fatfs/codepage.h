// 8-bit text of volumes and blocks. Block header texts are in the system's ANSI code page
// (Windows-1252 where there is none). 8.3 names are in an OEM code page, as DOS wrote them:
// the system's on Windows, 437 elsewhere (as the Linux FAT driver assumes), or one chosen.
#pragma once

#include <cstddef>
#include <cstdint>

// Converts length bytes; returns the characters written (at most capacity, no NUL added).
size_t AnsiToWide(const char* text, size_t length, char16_t* out, size_t capacity);

// Converts length characters; characters without an 8-bit form become '?'. Returns the bytes
// written (at most capacity, no NUL added).
size_t WideToAnsi(const char16_t* text, size_t length, char* out, size_t capacity);

// The OEM code page that code page 0 stands for.
uint32_t SystemOemCodePage();

// True when 8.3 names can be read and written in codePage here (0 always can).
bool OemCodePageUsable(uint32_t codePage);

// Converts length bytes of an 8.3 name in codePage (0: SystemOemCodePage()); returns the
// characters written (at most capacity, no NUL added).
size_t OemToWide(uint32_t codePage, const char* text, size_t length, char16_t* out, size_t capacity);

// Converts length characters into codePage; a character without an exact form there becomes
// '_', which every 8.3 name may hold. Returns the bytes written (at most capacity, no NUL).
size_t WideToOem(uint32_t codePage, const char16_t* text, size_t length, char* out, size_t capacity);
