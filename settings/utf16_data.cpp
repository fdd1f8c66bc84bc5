// UTF-16LE registry data to and from wide strings and UTF-8.
#include "settings/utf16_data.h"

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(uint32_t u) {
    return u >= 0xD800 && u < 0xDC00;
}
bool IsLowSurrogate(uint32_t u) {
    return u >= 0xDC00 && u < 0xE000;
}
// Where wchar_t is UTF-32, U+DC80..U+DCFF stand for bytes of a file name that are not UTF-8
// (disk/wide_path.h); they are kept as lone units, as the registry keeps a Windows name's.
bool IsEscapedByte(uint32_t c) {
    return sizeof(wchar_t) > 2 && c >= 0xDC80 && c <= 0xDCFF;
}

uint32_t UnitAt(const uint8_t* data, size_t i) {
    return data[2 * i] | (uint32_t{data[2 * i + 1]} << 8);
}

void PutUnit(uint32_t unit, std::vector<uint8_t>* data) {
    data->push_back(static_cast<uint8_t>(unit & 0xFF));
    data->push_back(static_cast<uint8_t>(unit >> 8));
}

void PutCodePoint(uint32_t c, std::vector<uint8_t>* data) {
    if (c >= 0x10000) {
        c -= 0x10000;
        PutUnit(0xD800 + (c >> 10), data);
        PutUnit(0xDC00 + (c & 0x3FF), data);
    } else {
        PutUnit(c, data);
    }
}

// The code point at units[*i], advancing *i; a lone surrogate comes back as it is.
uint32_t NextCodePoint(const uint8_t* data, size_t units, size_t* i) {
    uint32_t u = UnitAt(data, (*i)++);
    if (IsHighSurrogate(u) && *i < units && IsLowSurrogate(UnitAt(data, *i))) {
        return 0x10000 + ((u - 0xD800) << 10) + (UnitAt(data, (*i)++) - 0xDC00);
    }
    return u;
}

}  // namespace

void AppendUtf16Data(const std::wstring& text, std::vector<uint8_t>* data) {
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = static_cast<uint32_t>(text[i]);
        if (sizeof(wchar_t) == 2) {
            PutUnit(c, data);  // already UTF-16: kept unit for unit
        } else {
            bool unfit = c > 0x10FFFF || (c >= 0xD800 && c < 0xE000 && !IsEscapedByte(c));
            PutCodePoint(unfit ? kReplacement : c, data);
        }
    }
}

std::wstring WideFromUtf16Data(const uint8_t* data, size_t units) {
    std::wstring text;
    text.reserve(units);
    for (size_t i = 0; i < units;) {
        if (sizeof(wchar_t) == 2) {
            text += static_cast<wchar_t>(UnitAt(data, i++));
        } else {
            uint32_t c = NextCodePoint(data, units, &i);
            text += static_cast<wchar_t>(c >= 0xD800 && c < 0xE000 && !IsEscapedByte(c) ? kReplacement : c);
        }
    }
    return text;
}

bool Utf8FromUtf16Data(const uint8_t* data, size_t units, std::string* out) {
    for (size_t i = 0; i < units;) {
        uint32_t c = NextCodePoint(data, units, &i);
        if (c >= 0xD800 && c < 0xE000) return false;
        if (c < 0x80) {
            *out += static_cast<char>(c);
        } else if (c < 0x800) {
            *out += static_cast<char>(0xC0 | (c >> 6));
            *out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *out += static_cast<char>(0xE0 | (c >> 12));
            *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            *out += static_cast<char>(0xF0 | (c >> 18));
            *out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return true;
}

bool AppendUtf16DataFromUtf8(const std::string& text, std::vector<uint8_t>* data) {
    static constexpr uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    for (size_t i = 0; i < text.size();) {
        uint8_t b = static_cast<uint8_t>(text[i++]);
        // The lead byte gives the number of continuation bytes and the top bits of the code point.
        size_t extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : 4;
        if (extra == 4) return false;
        uint32_t c = extra == 0 ? b : b & (0x3Fu >> extra);
        for (size_t k = 0; k < extra; ++k) {
            if (i >= text.size() || (static_cast<uint8_t>(text[i]) & 0xC0) != 0x80) return false;
            c = (c << 6) | (static_cast<uint8_t>(text[i++]) & 0x3F);
        }
        // Overlong forms, encoded surrogates and code points past U+10FFFF are not UTF-8.
        if (c < kMinimum[extra] || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) return false;
        PutCodePoint(c, data);
    }
    return true;
}
