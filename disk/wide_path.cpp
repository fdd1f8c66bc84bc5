#include "disk/wide_path.h"

#include <cstdint>

namespace {
// wchar_t is UTF-16 on Windows and UTF-32 elsewhere; both are handled so that the same
// conversion serves the tool's output on every platform. Only with UTF-32 do the escaped
// bytes of a name exist: UTF-16 names come from the system whole.
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;
constexpr uint32_t kEscapedByte = 0xDC00;  // U+DC80..U+DCFF stand for the bytes 0x80..0xFF

// The longest valid sequence from a lead byte, and the range its second byte must fall in
// (which rules out overlong forms, UTF-16 surrogates and values above U+10FFFF).
bool SequenceOf(uint8_t lead, size_t* extra, uint8_t* low, uint8_t* high) {
    *low = 0x80;
    *high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) *extra = 1;
    else if (lead >= 0xE0 && lead <= 0xEF) *extra = 2;
    else if (lead >= 0xF0 && lead <= 0xF4) *extra = 3;
    else return false;
    if (lead == 0xE0) *low = 0xA0;
    // A surrogate written as three bytes is how UTF-16 names with a lone half travel (WTF-8).
    if (lead == 0xED && !kWideIsUtf16) *high = 0x9F;
    if (lead == 0xF0) *low = 0x90;
    if (lead == 0xF4) *high = 0x8F;
    return true;
}

}  // namespace

std::string Utf8FromWide(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = static_cast<uint32_t>(text[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
            uint32_t low = static_cast<uint32_t>(text[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (!kWideIsUtf16 && c >= kEscapedByte + 0x80 && c <= kEscapedByte + 0xFF) {
            out += static_cast<char>(c - kEscapedByte);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::wstring WideFromUtf8(const std::string& text) {
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        uint8_t b = static_cast<uint8_t>(text[i]);
        uint32_t c = b;
        size_t extra = 0;
        uint8_t low = 0, high = 0;
        bool valid = b < 0x80;
        if (!valid && SequenceOf(b, &extra, &low, &high) && i + extra < text.size()) {
            c = b & (0x3F >> extra);
            valid = true;
            for (size_t k = 1; k <= extra && valid; ++k) {
                uint8_t next = static_cast<uint8_t>(text[i + k]);
                valid = k == 1 ? next >= low && next <= high : (next & 0xC0) == 0x80;
                c = (c << 6) | (next & 0x3F);
            }
        }
        if (!valid) {
            // A byte that starts no valid sequence stands alone.
            out += static_cast<wchar_t>(kWideIsUtf16 ? 0xFFFD : kEscapedByte + b);
            ++i;
            continue;
        }
        i += 1 + extra;
        if (kWideIsUtf16 && c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (c >> 10));
            out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
    }
    return out;
}
