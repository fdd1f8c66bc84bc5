// ANSI conversion through the system's active code page.
#include "fatfs/codepage.h"

#include <windows.h>

size_t AnsiToWide(const char* text, size_t length, char16_t* out, size_t capacity) {
    if (length == 0 || capacity == 0) return 0;
    int n = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), reinterpret_cast<wchar_t*>(out),
                                static_cast<int>(capacity));
    if (n > 0) return static_cast<size_t>(n);
    // Too little room: convert character by character as far as it goes.
    size_t written = 0;
    for (size_t i = 0; i < length && written < capacity; ++i) {
        wchar_t c;
        if (MultiByteToWideChar(CP_ACP, 0, text + i, 1, &c, 1) == 1) out[written++] = static_cast<char16_t>(c);
    }
    return written;
}

size_t WideToAnsi(const char16_t* text, size_t length, char* out, size_t capacity) {
    if (length == 0 || capacity == 0) return 0;
    int n = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text), static_cast<int>(length), out,
                                static_cast<int>(capacity), nullptr, nullptr);
    return n > 0 ? static_cast<size_t>(n) : 0;
}
