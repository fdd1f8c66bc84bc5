// Parsing the SIZE of create-image.
#include "cli/size_argument.h"

#include <cctype>

bool ParseSizeArgument(const std::string& text, uint64_t* bytes) {
    size_t digits = 0;
    uint64_t value = 0;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) {
        if (value > (uint64_t(1) << 50)) return false;
        value = value * 10 + static_cast<uint64_t>(text[digits] - '0');
        ++digits;
    }
    if (digits == 0) return false;
    std::string unit = text.substr(digits);
    if (unit.size() == 2 && (unit[1] == 'B' || unit[1] == 'b' || unit[1] == 'i')) unit.resize(1);
    uint64_t scale = 1;
    if (unit.empty())
        scale = 1;
    else if (unit == "K" || unit == "k")
        scale = uint64_t(1) << 10;
    else if (unit == "M" || unit == "m")
        scale = uint64_t(1) << 20;
    else if (unit == "G" || unit == "g")
        scale = uint64_t(1) << 30;
    else
        return false;
    // 1T is more than any USB stick this tool is meant for, and keeps the product in range.
    if (value == 0 || value > (uint64_t(1) << 40) / scale) return false;
    *bytes = value * scale;
    return *bytes % 512 == 0;
}
