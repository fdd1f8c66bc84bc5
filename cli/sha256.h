// SHA-256 (FIPS 180-4), for the sums an image backup's manifest records and restore checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class Sha256 {
public:
    Sha256();
    void Add(const void* data, size_t bytes);
    // The digest as 64 lower-case hex digits; the object is spent afterwards.
    std::string HexDigest();

private:
    void Block(const uint8_t* block);

    uint32_t state_[8];
    uint8_t pending_[64];
    size_t pendingBytes_ = 0;
    uint64_t totalBytes_ = 0;
};

// The digest of bytes in one call.
std::string Sha256Hex(const void* data, size_t bytes);
