// Case of single characters: each range's upper and lower letters lie a fixed distance apart,
// or alternate in pairs.
#include "fatfs/name_case.h"

namespace {

// Latin Extended-A pairs its letters upper-then-lower, from an even code in the first and last
// stretches, from an odd one in between.
bool PairedUpperFirstOdd(char32_t c) {
    return (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
}

bool InPairedRange(char32_t c) {
    return (c >= 0x100 && c <= 0x137 && c != 0x130 && c != 0x131) || PairedUpperFirstOdd(c) ||
           (c >= 0x14A && c <= 0x177);
}

bool IsPairUpper(char32_t c) {
    return PairedUpperFirstOdd(c) ? (c & 1) == 1 : (c & 1) == 0;
}

}  // namespace

char32_t UpperChar(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 0x20;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
    if (c == 0xFF) return 0x178;
    if (InPairedRange(c)) return IsPairUpper(c) ? c : c - 1;
    if (c == 0x3C2) return 0x3A3;  // final sigma
    if (c >= 0x3B1 && c <= 0x3C9) return c - 0x20;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    return c;
}

char32_t LowerChar(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c + 0x20;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    if (c == 0x178) return 0xFF;
    if (InPairedRange(c)) return IsPairUpper(c) ? c + 1 : c;
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    return c;
}
