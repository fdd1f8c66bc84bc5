// Code pages where the system converts none: Windows-1252 stands for ANSI (the code page of the
// Western European Windows installations the volumes usually come from), and the OEM code pages
// are the tables carried here, 437 unless another is chosen.
#include "fatfs/codepage.h"

#include "fatfs/oem_code_pages.h"

namespace {

// 0x80..0x9F; the five unassigned bytes map to the control character of the same value.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t FromAnsi(uint8_t byte) {
    if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
    return byte;
}

char ToAnsi(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
    }
    return '?';
}

}  // namespace

size_t AnsiToWide(const char* text, size_t length, char16_t* out, size_t capacity) {
    size_t n = length < capacity ? length : capacity;
    for (size_t i = 0; i < n; ++i)
        out[i] = FromAnsi(static_cast<uint8_t>(text[i]));
    return n;
}

size_t WideToAnsi(const char16_t* text, size_t length, char* out, size_t capacity) {
    size_t n = length < capacity ? length : capacity;
    for (size_t i = 0; i < n; ++i)
        out[i] = ToAnsi(text[i]);
    return n;
}

uint32_t SystemOemCodePage() {
    return 437;
}

bool OemCodePageUsable(uint32_t codePage) {
    return codePage == 0 || OemCodePageHigh(codePage) != nullptr;
}

size_t OemToWide(uint32_t codePage, const char* text, size_t length, char16_t* out, size_t capacity) {
    const char16_t* high = OemCodePageHigh(codePage == 0 ? SystemOemCodePage() : codePage);
    size_t n = length < capacity ? length : capacity;
    for (size_t i = 0; i < n; ++i) {
        uint8_t byte = static_cast<uint8_t>(text[i]);
        out[i] = byte < 0x80 || high == nullptr ? byte : high[byte - 0x80];
    }
    return n;
}

size_t WideToOem(uint32_t codePage, const char16_t* text, size_t length, char* out, size_t capacity) {
    const char16_t* high = OemCodePageHigh(codePage == 0 ? SystemOemCodePage() : codePage);
    size_t n = length < capacity ? length : capacity;
    for (size_t i = 0; i < n; ++i) {
        char16_t c = text[i];
        out[i] = '_';
        if (c < 0x80) out[i] = static_cast<char>(c);
        for (int b = 0; c >= 0x80 && high != nullptr && b < 128; ++b) {
            if (high[b] == c) {
                out[i] = static_cast<char>(0x80 + b);
                break;
            }
        }
    }
    return n;
}
