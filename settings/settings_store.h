// The per-user settings store: the program's registry key under HKEY_CURRENT_USER on Windows,
// a typed text file under the user's configuration directory elsewhere, with the same names and types.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Value types, numbered as the registry numbers them; the file store keeps the same numbers.
enum SettingsType : uint32_t {
    SETTINGS_NONE = 0,       // REG_NONE
    SETTINGS_SZ = 1,         // REG_SZ: UTF-16LE text with its terminating zero
    SETTINGS_EXPAND_SZ = 2,  // REG_EXPAND_SZ
    SETTINGS_BINARY = 3,     // REG_BINARY
    SETTINGS_DWORD = 4,      // REG_DWORD: 4 bytes, little-endian
    SETTINGS_MULTI_SZ = 7,   // REG_MULTI_SZ: zero-separated texts ending in two zeros
};

// A stored value as it is: its type and its bytes.
struct SettingsValue {
    uint32_t type = SETTINGS_NONE;
    std::vector<uint8_t> data;
};

// The program's own key, relative to HKEY_CURRENT_USER.
extern const wchar_t kProgramKeyPath[];

// Where a store lives. Tests give their own key path or directory so that the user's settings stay untouched.
struct SettingsLocation {
    std::wstring keyPath = kProgramKeyPath;
    // File store only: the folder holding the settings file; empty means
    // ($XDG_CONFIG_HOME or ~/.config)/slotwise.
    std::string directory;
};

class SettingsKeyImpl;  // one per platform, in settings_store_win32.cpp / settings_store_posix.cpp

// One open key. Reads report only whether a usable value was found; writes return 0 or the
// system's error code (a Win32 registry error on Windows, an errno value elsewhere).
class SettingsKey {
public:
    SettingsKey();
    ~SettingsKey();
    SettingsKey(const SettingsKey&) = delete;
    SettingsKey& operator=(const SettingsKey&) = delete;

    bool IsOpen() const { return impl_ != nullptr; }
    void Close();

    // The value as stored, whatever its type. Returns 0, or an error code when it is missing.
    long ReadValue(const std::wstring& name, SettingsValue* value) const;
    long WriteValue(const std::wstring& name, uint32_t type, const void* data, size_t size);

    // A text into a field of fieldChars wide characters (terminating zero included). Accepted only
    // from REG_SZ or REG_EXPAND_SZ data of even size ending in a zero, or REG_MULTI_SZ data of at
    // least two characters ending in two zeros (its first text), and only when the data fits the
    // field. Otherwise false and the field is left as it was.
    bool ReadString(const std::wstring& name, wchar_t* field, size_t fieldChars) const;
    // Exactly 4 bytes; the type is not checked.
    bool ReadDword(const std::wstring& name, uint32_t* value) const;
    // Exactly size bytes (a short or long value is refused); the type is not checked.
    bool ReadBinary(const std::wstring& name, void* out, size_t size) const;

    long WriteString(const std::wstring& name, const std::wstring& text);  // REG_SZ, with its zero
    long WriteDword(const std::wstring& name, uint32_t value);
    long WriteBinary(const std::wstring& name, const void* data, size_t size);

private:
    friend class SettingsStore;
    std::unique_ptr<SettingsKeyImpl> impl_;
};

class SettingsStore {
public:
    SettingsStore() = default;
    explicit SettingsStore(SettingsLocation location) : location_(std::move(location)) {}

    // Opens the store's key, or one of its subkeys such as L"format_dlg", creating it when missing
    // (non-volatile, full access). Returns 0 or the system's error code; on failure key stays closed.
    long OpenKey(const std::wstring& subkey, SettingsKey* key) const;
    long OpenKey(SettingsKey* key) const { return OpenKey(std::wstring(), key); }

    const SettingsLocation& location() const { return location_; }
    // The full key path: the store's key path, then "\" and the subkey when there is one.
    std::wstring KeyPath(const std::wstring& subkey) const;

private:
    SettingsLocation location_;
};
