// Writing a screenshot as a PNG file: 8-bit RGB, stored (uncompressed) deflate blocks, so that
// no compression library is needed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// pixels: width x height, top row first, each 0x00RRGGBB. False when the file cannot be written.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels);
