// The block list's sort comparison.
#include "ui/block_sort.h"

#include <cstdint>
#include <cwchar>

namespace {
// The leading decimal number of a text, as a 32-bit unsigned value ("45%" is 45).
uint32_t LeadingNumber(const std::wstring& text) {
    int value = 0;
    if (std::swscanf(text.c_str(), L"%d", &value) != 1) return 0;
    return static_cast<uint32_t>(value);
}

int Ordinal(const std::wstring& a, const std::wstring& b) {
    // std::wstring compares by wchar_t values, which are the UTF-16 code units on Windows.
    int order = a.compare(b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}
}  // namespace

int CompareBlockCells(int column, const std::wstring& a, const std::wstring& b, bool ascending) {
    int order;
    if (column == kUsedColumn) {
        const uint32_t x = LeadingNumber(a);
        const uint32_t y = LeadingNumber(b);
        order = x < y ? -1 : (x > y ? 1 : 0);
    } else {
        order = Ordinal(a, b);
    }
    return ascending ? order : -order;
}
