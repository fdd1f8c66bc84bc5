// The settings store in the registry: keys under HKEY_CURRENT_USER, values read and written as
// they are; the typed rules live in settings_store.cpp.
#include <windows.h>

#include <vector>

#include "settings/settings_store.h"

class SettingsKeyImpl {
public:
    explicit SettingsKeyImpl(HKEY key) : key_(key) {}
    ~SettingsKeyImpl() { RegCloseKey(key_); }
    HKEY key() const { return key_; }

private:
    HKEY key_;
};

SettingsKey::SettingsKey() = default;
SettingsKey::~SettingsKey() = default;

void SettingsKey::Close() {
    impl_.reset();
}

long SettingsStore::OpenKey(const std::wstring& subkey, SettingsKey* key) const {
    key->Close();
    HKEY handle = nullptr;
    DWORD disposition = 0;
    LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, KeyPath(subkey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &handle, &disposition);
    if (status != ERROR_SUCCESS) return status;
    key->impl_ = std::make_unique<SettingsKeyImpl>(handle);
    return ERROR_SUCCESS;
}

long SettingsKey::ReadValue(const std::wstring& name, SettingsValue* value) const {
    if (!impl_) return ERROR_INVALID_HANDLE;
    // The value may grow between asking its size and reading it; ask again a few times.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0;
        DWORD size = 0;
        LONG status = RegQueryValueExW(impl_->key(), name.c_str(), nullptr, &type, nullptr, &size);
        if (status != ERROR_SUCCESS) return status;
        value->data.resize(size ? size : 1);
        status = RegQueryValueExW(impl_->key(), name.c_str(), nullptr, &type, value->data.data(), &size);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) return status;
        value->type = type;
        value->data.resize(size);
        return ERROR_SUCCESS;
    }
    return ERROR_MORE_DATA;
}

long SettingsKey::WriteValue(const std::wstring& name, uint32_t type, const void* data, size_t size) {
    if (!impl_) return ERROR_INVALID_HANDLE;
    if (size > MAXDWORD - 2) return ERROR_INVALID_PARAMETER;
    const BYTE* bytes = static_cast<const BYTE*>(data);
    std::vector<BYTE> guarded;
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        // The registry counts a zero character that follows string data as its missing terminator, reading past
        // the given size; a non-zero guard keeps the call inside our buffer and the bytes exactly as given.
        guarded.assign(bytes, bytes + size);
        guarded.insert(guarded.end(), {0xFF, 0xFF});
        bytes = guarded.data();
    }
    return RegSetValueExW(impl_->key(), name.c_str(), 0, type, bytes, static_cast<DWORD>(size));
}
