// Loading and saving the block list's persisted state.
#include "ui/block_list_state.h"

const wchar_t kColumnWidthsValue[] = L"ListViewColumnPos";
const wchar_t kLastViewValue[] = L"LastSelStyle";

namespace {
void StoreLittleEndian(uint8_t* out, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(bits >> (8 * i));
}

int32_t LoadLittleEndian(const uint8_t* in) {
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= static_cast<uint32_t>(in[i]) << (8 * i);
    return static_cast<int32_t>(bits);
}
}  // namespace

void BlockListState::Load(const SettingsStore& store) {
    SettingsKey key;
    if (store.OpenKey(&key) != 0) return;
    uint8_t bytes[4 * kBlockListColumns];
    if (key.ReadBinary(kColumnWidthsValue, bytes, sizeof(bytes))) {
        for (int i = 0; i < kBlockListColumns; ++i)
            columnWidths[i] = LoadLittleEndian(bytes + 4 * i);
        defaultWidths = false;
    }
    uint32_t view = 0;
    if (key.ReadDword(kLastViewValue, &view)) lastViewCommand = static_cast<int32_t>(view);
}

void BlockListState::Save(const SettingsStore& store, bool widthsTaken) const {
    SettingsKey key;
    if (store.OpenKey(&key) != 0) return;
    if (widthsTaken) {
        uint8_t bytes[4 * kBlockListColumns];
        for (int i = 0; i < kBlockListColumns; ++i)
            StoreLittleEndian(bytes + 4 * i, columnWidths[i]);
        key.WriteBinary(kColumnWidthsValue, bytes, sizeof(bytes));
    }
    key.WriteDword(kLastViewValue, static_cast<uint32_t>(lastViewCommand));
}

int ViewCommandOf(int32_t stored) {
    switch (stored) {
        case 1053:
        case 1055:
        case 1056: return stored;
        default: return kDetailViewCommand;
    }
}
