// Registry strings are UTF-16LE bytes; these convert them to and from the program's wide strings
// (UTF-16 on Windows, UTF-32 elsewhere) and, strictly, to and from UTF-8 for the settings file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Appends text as UTF-16LE units (no terminating zero). Characters that UTF-16 cannot carry become
// U+FFFD, except the escaped bytes of a file name (disk/wide_path.h), kept as lone surrogates.
void AppendUtf16Data(const std::wstring& text, std::vector<uint8_t>* data);

// units UTF-16LE units from data as a wide string; an unpaired surrogate becomes U+FFFD where
// wchar_t is wider than 16 bits (but for an escaped byte), and stays as it is where it is not.
std::wstring WideFromUtf16Data(const uint8_t* data, size_t units);

// Strict conversions for the settings file: false on an unpaired surrogate, on bytes that are not
// UTF-8, or on a code point that UTF-16 cannot carry.
bool Utf8FromUtf16Data(const uint8_t* data, size_t units, std::string* out);
bool AppendUtf16DataFromUtf8(const std::string& text, std::vector<uint8_t>* data);
