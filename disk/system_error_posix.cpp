#include <cerrno>
#include <cstring>

#include "disk/system_error.h"
#include "disk/wide_path.h"

uint32_t CaptureLastSystemError() {
    uint32_t code = static_cast<uint32_t>(errno);
    SetLastSystemError(code);
    return code;
}

std::wstring SystemErrorText(uint32_t code) {
    char buffer[256];
    // GNU strerror_r may return a static string instead of filling the buffer.
    const char* text = strerror_r(static_cast<int>(code), buffer, sizeof buffer);
    if (!text || std::strncmp(text, "Unknown error", 13) == 0) return std::wstring();
    return WideFromUtf8(text);
}
