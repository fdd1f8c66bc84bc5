// The typed reads and writes of a settings key, with the registry's acceptance rules for
// strings, shared by both stores; each platform file supplies only raw values by name.
#include "settings/settings_store.h"

#include <cstring>

#include "settings/utf16_data.h"

const wchar_t kProgramKeyPath[] = L"Software\\Marrowfield\\fbkt";

namespace {

bool IsZeroUnit(const std::vector<uint8_t>& data, size_t unit) {
    return data[2 * unit] == 0 && data[2 * unit + 1] == 0;
}

// Whether string data may be used at all (the size of the field aside).
bool IsAcceptedText(const SettingsValue& value) {
    const std::vector<uint8_t>& data = value.data;
    if (data.size() % 2 != 0) return false;
    size_t units = data.size() / 2;
    switch (value.type) {
        case SETTINGS_SZ:
        case SETTINGS_EXPAND_SZ: return units >= 1 && IsZeroUnit(data, units - 1);
        case SETTINGS_MULTI_SZ: return units >= 2 && IsZeroUnit(data, units - 1) && IsZeroUnit(data, units - 2);
        default: return false;
    }
}

}  // namespace

std::wstring SettingsStore::KeyPath(const std::wstring& subkey) const {
    if (subkey.empty()) return location_.keyPath;
    return location_.keyPath + L'\\' + subkey;
}

bool SettingsKey::ReadString(const std::wstring& name, wchar_t* field, size_t fieldChars) const {
    SettingsValue value;
    if (ReadValue(name, &value) != 0 || !IsAcceptedText(value)) return false;
    // The whole value must fit, as it would have to in a registry read into the field.
    std::wstring text = WideFromUtf16Data(value.data.data(), value.data.size() / 2);
    if (text.size() > fieldChars) return false;
    size_t length = text.find(L'\0');  // always found: the data ends in a zero
    std::memcpy(field, text.data(), length * sizeof(wchar_t));
    field[length] = L'\0';
    return true;
}

bool SettingsKey::ReadDword(const std::wstring& name, uint32_t* value) const {
    uint8_t bytes[4];
    if (!ReadBinary(name, bytes, sizeof bytes)) return false;
    *value = bytes[0] | (uint32_t{bytes[1]} << 8) | (uint32_t{bytes[2]} << 16) | (uint32_t{bytes[3]} << 24);
    return true;
}

bool SettingsKey::ReadBinary(const std::wstring& name, void* out, size_t size) const {
    SettingsValue value;
    if (ReadValue(name, &value) != 0 || value.data.size() != size) return false;
    if (size != 0) std::memcpy(out, value.data.data(), size);
    return true;
}

long SettingsKey::WriteString(const std::wstring& name, const std::wstring& text) {
    std::vector<uint8_t> data;
    AppendUtf16Data(text, &data);
    data.push_back(0);
    data.push_back(0);
    return WriteValue(name, SETTINGS_SZ, data.data(), data.size());
}

long SettingsKey::WriteDword(const std::wstring& name, uint32_t value) {
    uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                        static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    return WriteValue(name, SETTINGS_DWORD, bytes, sizeof bytes);
}

long SettingsKey::WriteBinary(const std::wstring& name, const void* data, size_t size) {
    return WriteValue(name, SETTINGS_BINARY, data, size);
}
