// Expected registry bytes written out by hand: UTF-16LE from a char16_t literal, so that the
// tests do not check the store's encoding with the store's own encoder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline std::vector<uint8_t> Utf16Bytes(const std::u16string& text) {
    std::vector<uint8_t> bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

// With the terminating zero, as REG_SZ data holds it.
inline std::vector<uint8_t> SzBytes(const std::u16string& text) {
    return Utf16Bytes(text + u'\0');
}
