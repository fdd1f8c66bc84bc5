// The PNG writer.
#include "png_file.h"

#include <algorithm>
#include <fstream>

namespace {
uint32_t Crc(const std::string& bytes) {
    static uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        ready = true;
    }
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes)
        c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint32_t Adler(const std::string& bytes) {
    uint32_t a = 1, b = 0;
    for (unsigned char c : bytes) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

void PutBig32(std::string* out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out->push_back(static_cast<char>(value >> shift));
}

std::string Chunk(const char* type, const std::string& data) {
    std::string chunk;
    PutBig32(&chunk, static_cast<uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    chunk += body;
    PutBig32(&chunk, Crc(body));
    return chunk;
}

// A zlib stream of stored blocks.
std::string Stored(const std::string& raw) {
    std::string z = "\x78\x01";
    size_t at = 0;
    do {
        const size_t length = std::min<size_t>(65535, raw.size() - at);
        const bool last = at + length == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<char>(length & 0xFF));
        z.push_back(static_cast<char>(length >> 8));
        z.push_back(static_cast<char>(~length & 0xFF));
        z.push_back(static_cast<char>((~length >> 8) & 0xFF));
        z.append(raw, at, length);
        at += length;
    } while (at < raw.size());
    PutBig32(&z, Adler(raw));
    return z;
}
}  // namespace

bool WritePng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels) {
    std::string header;
    PutBig32(&header, static_cast<uint32_t>(width));
    PutBig32(&header, static_cast<uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace

    std::string raw;
    raw.reserve(static_cast<size_t>(height) * (1 + 3 * static_cast<size_t>(width)));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
            raw.push_back(static_cast<char>(p >> 16));
            raw.push_back(static_cast<char>(p >> 8));
            raw.push_back(static_cast<char>(p));
        }
    }
    std::ofstream out(path, std::ios::binary);
    out << std::string("\x89PNG\r\n\x1a\n", 8) << Chunk("IHDR", header) << Chunk("IDAT", Stored(raw))
        << Chunk("IEND", std::string());
    return static_cast<bool>(out);
}
