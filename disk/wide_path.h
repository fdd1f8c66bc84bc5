// Paths and user texts are wide strings throughout the program. On Windows they go to the
// system as they are; elsewhere they are converted to and from UTF-8 at the system call.
// There a path is a string of bytes that need not be UTF-8: each byte that is not part of a
// UTF-8 sequence becomes one of U+DC80..U+DCFF and turns back into that byte, so that every
// name the system gives survives the round trip.
#pragma once

#include <string>

std::string Utf8FromWide(const std::wstring& text);
std::wstring WideFromUtf8(const std::string& text);

