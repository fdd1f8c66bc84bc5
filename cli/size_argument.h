// The SIZE of create-image: bytes, or a number with K, M or G (binary units), like 64M or 1G.
#pragma once

#include <cstdint>
#include <string>

// False for anything else, for zero, and for sizes that are no whole number of 512-byte sectors.
bool ParseSizeArgument(const std::string& text, uint64_t* bytes);
