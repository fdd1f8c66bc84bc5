// DOS code pages carried as tables, for systems without code page conversion of their own:
// 437 (US), 850 (Western Europe), 852 (Central Europe) and 866 (Cyrillic).
#pragma once

#include <cstdint>

// The characters of bytes 0x80 to 0xFF (128 of them), or null for a code page not carried.
const char16_t* OemCodePageHigh(uint32_t codePage);
