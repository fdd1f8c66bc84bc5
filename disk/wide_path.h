// Paths and user texts are wide strings throughout the program. On Windows they go to the
// system as they are; elsewhere they are converted to and from UTF-8 at the system call. A byte
// that is not UTF-8 travels as the lone surrogate U+DC00 + byte, so that every name round-trips.
#pragma once

#include <string>

std::string Utf8FromWide(const std::wstring& text);
std::wstring WideFromUtf8(const std::string& text);
