// Names for entries put or made in a block in place.
#include "blocks/placed_name.h"

#include "blocks/short_alias.h"
#include "blocks/utf16_text.h"
#include "fatfs/codepage.h"

namespace {
// Characters a FAT long name may not hold, and control characters, made '_'; trailing dots and
// blanks, which Windows cannot open, dropped.
std::wstring MendedName(std::wstring name, bool* mended) {
    const std::wstring forbidden = L"\"*/:<>?\\|";
    for (wchar_t& c : name) {
        if (c < 0x20 || forbidden.find(c) != std::wstring::npos) {
            c = L'_';
            *mended = true;
        }
    }
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) {
        name.pop_back();
        *mended = true;
    }
    if (name.empty()) name = L"_";
    return name;
}
}  // namespace

PlacedName PlaceName(const std::wstring& name, const std::vector<std::wstring>& shortNamesPresent) {
    PlacedName placed;
    placed.name = MendedName(name, &placed.mended);
    std::wstring alias = MakeShortAliases({placed.name}, shortNamesPresent)[0];
    if (!alias.empty()) placed.longName = placed.name;
    // As save writes an 8.3 name: the 8-bit code page, ASCII letters in upper case.
    char16_t wide[kPathCapacity];
    size_t length = Utf16FromWide(alias.empty() ? placed.name : alias, wide, kPathCapacity);
    char ansi[kMaxShortNameText];
    size_t bytes = WideToAnsi(wide, length, ansi, sizeof(ansi));
    placed.shortName.assign(ansi, bytes);
    for (char& c : placed.shortName)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return placed;
}

void SetCreateName(FileEngine& engine, const PlacedName& placed) {
    engine.ClearCreateLongName();
    if (!placed.longName.empty()) Utf16FromWide(placed.longName, engine.createLongName(), kPathCapacity);
}
