// Loading and saving the main window's placement and splitter position.
#include "ui/window_placement.h"

const wchar_t kWindowPlacementValue[] = L"MainWinPos";
const wchar_t kSplitterValue[] = L"SplitterPos";

namespace {
constexpr size_t kFields = 5;

int32_t Wrap(uint32_t value) {
    return static_cast<int32_t>(value);
}
}  // namespace

void WindowPlacement::CreationArguments(int32_t* x, int32_t* y, int32_t* w, int32_t* h) const {
    const uint32_t right = static_cast<uint32_t>(left) + static_cast<uint32_t>(width);
    const uint32_t bottom = static_cast<uint32_t>(top) + static_cast<uint32_t>(height);
    *x = left;
    *y = top;
    *w = Wrap(right - static_cast<uint32_t>(left));
    *h = Wrap(bottom - static_cast<uint32_t>(top));
}

WindowPlacement LoadWindowPlacement(const SettingsStore& store) {
    WindowPlacement placement;
    SettingsKey key;
    if (store.OpenKey(&key) != 0) return placement;
    uint8_t bytes[4 * kFields];
    if (!key.ReadBinary(kWindowPlacementValue, bytes, sizeof(bytes))) return placement;
    int32_t fields[kFields];
    for (size_t i = 0; i < kFields; ++i) {
        uint32_t bits = 0;
        for (size_t b = 0; b < 4; ++b)
            bits |= static_cast<uint32_t>(bytes[4 * i + b]) << (8 * b);
        fields[i] = Wrap(bits);
    }
    placement.left = fields[0];
    placement.top = fields[1];
    placement.width = fields[2];
    placement.height = fields[3];
    placement.maximized = fields[4];
    return placement;
}

void SaveWindowPlacement(const SettingsStore& store, const WindowPlacement& placement) {
    SettingsKey key;
    if (store.OpenKey(&key) != 0) return;
    const int32_t fields[kFields] = {placement.left, placement.top, placement.width, placement.height,
                                     placement.maximized};
    uint8_t bytes[4 * kFields];
    for (size_t i = 0; i < kFields; ++i) {
        const auto bits = static_cast<uint32_t>(fields[i]);
        for (size_t b = 0; b < 4; ++b)
            bytes[4 * i + b] = static_cast<uint8_t>(bits >> (8 * b));
    }
    key.WriteBinary(kWindowPlacementValue, bytes, sizeof(bytes));
}

int32_t LoadSplitterPosition(const SettingsStore& store) {
    SettingsKey key;
    uint32_t value = 0;
    if (store.OpenKey(&key) != 0 || !key.ReadDword(kSplitterValue, &value)) return 0;
    return Wrap(value);
}

void SaveSplitterPosition(const SettingsStore& store, int32_t position) {
    SettingsKey key;
    if (store.OpenKey(&key) == 0) key.WriteDword(kSplitterValue, static_cast<uint32_t>(position));
}
