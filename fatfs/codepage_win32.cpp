// ANSI conversion through the system's active code page, 8.3 names through its OEM code page
// or another the system knows.
#include "fatfs/codepage.h"

#include <windows.h>

namespace {

size_t ToWide(UINT codePage, const char* text, size_t length, char16_t* out, size_t capacity) {
    if (length == 0 || capacity == 0) return 0;
    int n = MultiByteToWideChar(codePage, 0, text, static_cast<int>(length), reinterpret_cast<wchar_t*>(out),
                                static_cast<int>(capacity));
    if (n > 0) return static_cast<size_t>(n);
    // Too little room: convert character by character as far as it goes.
    size_t written = 0;
    for (size_t i = 0; i < length && written < capacity; ++i) {
        wchar_t c;
        if (MultiByteToWideChar(codePage, 0, text + i, 1, &c, 1) == 1) out[written++] = static_cast<char16_t>(c);
    }
    return written;
}

}  // namespace

size_t AnsiToWide(const char* text, size_t length, char16_t* out, size_t capacity) {
    return ToWide(CP_ACP, text, length, out, capacity);
}

size_t WideToAnsi(const char16_t* text, size_t length, char* out, size_t capacity) {
    if (length == 0 || capacity == 0) return 0;
    int n = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text), static_cast<int>(length), out,
                                static_cast<int>(capacity), nullptr, nullptr);
    return n > 0 ? static_cast<size_t>(n) : 0;
}

uint32_t SystemOemCodePage() {
    return GetOEMCP();
}

// UTF-7 and UTF-8 are no code pages a DOS name was ever written in.
bool OemCodePageUsable(uint32_t codePage) {
    return codePage == 0 || (codePage != CP_UTF7 && codePage != CP_UTF8 && IsValidCodePage(codePage));
}

size_t OemToWide(uint32_t codePage, const char* text, size_t length, char16_t* out, size_t capacity) {
    return ToWide(codePage == 0 ? CP_OEMCP : codePage, text, length, out, capacity);
}

size_t WideToOem(uint32_t codePage, const char16_t* text, size_t length, char* out, size_t capacity) {
    if (length == 0 || capacity == 0) return 0;
    // Exact forms only: a best fit (e for é) would give the name another meaning.
    int n = WideCharToMultiByte(codePage == 0 ? CP_OEMCP : codePage, WC_NO_BEST_FIT_CHARS,
                                reinterpret_cast<const wchar_t*>(text), static_cast<int>(length), out,
                                static_cast<int>(capacity), "_", nullptr);
    return n > 0 ? static_cast<size_t>(n) : 0;
}
