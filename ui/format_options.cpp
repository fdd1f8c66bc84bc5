// Loading, saving and reading the format dialogs' choices.
#include "ui/format_options.h"

namespace {
constexpr uint32_t kMostBlocks = 100;
constexpr uint32_t kLastDosVersion = 2;

void LoadShared(const SettingsKey& key, FormatChoices* choices) {
    key.ReadDword(L"LastFormatType", &choices->floppyFormat);
    key.ReadDword(L"EnableBootDisk", &choices->bootable);
    key.ReadDword(L"BootDiskDOSVer", &choices->dosVersion);
    key.ReadDword(L"QuickFormat", &choices->quick);
    if (choices->dosVersion > kLastDosVersion) choices->dosVersion = 1;
}

void SaveShared(SettingsKey& key, const FormatChoices& choices) {
    key.WriteDword(L"LastFormatType", choices.floppyFormat);
    key.WriteDword(L"EnableBootDisk", choices.bootable);
    key.WriteDword(L"BootDiskDOSVer", choices.dosVersion);
    key.WriteDword(L"QuickFormat", choices.quick);
}
}  // namespace

void FormatChoices::FillParameters(JobParameters* parameters) const {
    parameters->floppyFormat = static_cast<int32_t>(floppyFormat);
    parameters->quickFormat = static_cast<int32_t>(quick);
    parameters->dosSystem = static_cast<int32_t>(DosSystem());
}

DriveFormatChoices LoadDriveFormatChoices(const SettingsStore& store) {
    DriveFormatChoices choices;
    SettingsKey key;
    if (store.OpenKey(kFormatDriveKey, &key) != 0) return choices;
    LoadShared(key, &choices);
    key.ReadDword(L"LastFddFormatCout", &choices.blockCount);
    choices.blockCount = CapBlockCount(choices.blockCount, kMostBlocks);
    return choices;
}

FormatChoices LoadBlockFormatChoices(const SettingsStore& store) {
    FormatChoices choices;
    SettingsKey key;
    if (store.OpenKey(kFormatBlockKey, &key) == 0) LoadShared(key, &choices);
    return choices;
}

void SaveDriveFormatChoices(const SettingsStore& store, const DriveFormatChoices& choices) {
    SettingsKey key;
    if (store.OpenKey(kFormatDriveKey, &key) != 0) return;
    SaveShared(key, choices);
    key.WriteDword(L"LastFddFormatCout", choices.blockCount);
}

void SaveBlockFormatChoices(const SettingsStore& store, const FormatChoices& choices) {
    SettingsKey key;
    if (store.OpenKey(kFormatBlockKey, &key) == 0) SaveShared(key, choices);
}

uint32_t ParseBlockCount(const std::wstring& text) {
    size_t at = 0;
    while (at < text.size() && (text[at] == L' ' || text[at] == L'\t'))
        ++at;
    uint64_t value = 0;
    for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9'; ++at) {
        value = value * 10 + static_cast<uint64_t>(text[at] - L'0');
        // The box holds three characters; anything this large is capped later anyway.
        if (value > 0xFFFFFFFFu) return 0xFFFFFFFFu;
    }
    return static_cast<uint32_t>(value);
}
