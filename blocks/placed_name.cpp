// Names for entries put or made in a block in place.
#include "blocks/placed_name.h"

#include "blocks/block_names.h"
#include "blocks/short_alias.h"
#include "blocks/utf16_text.h"
#include "fatfs/codepage.h"

PlacedName PlaceName(const std::wstring& name, const std::vector<std::wstring>& shortNamesPresent, uint32_t codePage) {
    PlacedName placed;
    placed.name = FatLongName(name);
    placed.mended = placed.name != name;
    std::wstring alias = MakeShortAliases({placed.name}, shortNamesPresent)[0];
    // As save writes an 8.3 name: the OEM code page, ASCII letters in upper case.
    char16_t wide[kPathCapacity];
    size_t length = Utf16FromWide(alias.empty() ? placed.name : alias, wide, kPathCapacity);
    char oem[kMaxShortNameText];
    size_t bytes = WideToOem(codePage, wide, length, oem, sizeof(oem));
    placed.shortName.assign(oem, bytes);
    for (char& c : placed.shortName)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return placed;
}

void SetCreateName(FileEngine& engine, const PlacedName& placed) {
    engine.ClearCreateLongName();
    Utf16FromWide(placed.name, engine.createLongName(), kPathCapacity);
}
