// Long names between char16_t and wchar_t.
#include "blocks/utf16_text.h"

#include <cstdint>

std::wstring WideFromUtf16(const char16_t* text, size_t capacity) {
    std::wstring out;
    for (size_t i = 0; i < capacity && text[i] != 0; ++i) {
        uint32_t c = text[i];
        if (sizeof(wchar_t) == 4 && c >= 0xD800 && c < 0xDC00 && i + 1 < capacity) {
            uint32_t low = text[i + 1];
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        out += static_cast<wchar_t>(c);
    }
    return out;
}

size_t Utf16FromWide(const std::wstring& text, char16_t* out, size_t capacity) {
    if (capacity == 0) return 0;
    size_t n = 0;
    for (wchar_t w : text) {
        uint32_t c = static_cast<uint32_t>(w);
        if (c >= 0x10000 && c <= 0x10FFFF) {
            if (n + 2 >= capacity) break;
            c -= 0x10000;
            out[n++] = static_cast<char16_t>(0xD800 + (c >> 10));
            out[n++] = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            if (n + 1 >= capacity) break;
            out[n++] = static_cast<char16_t>(c > 0x10FFFF ? 0xFFFD : c);
        }
    }
    out[n] = 0;
    return n;
}
