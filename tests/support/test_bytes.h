// Deterministic test data shared by the tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Bytes that look like no format and differ for every seed.
inline std::string TestBytes(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    uint32_t x = seed * 2654435761u + 12345u;
    for (size_t i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        bytes[i] = static_cast<char>(x >> 24);
    }
    return bytes;
}
