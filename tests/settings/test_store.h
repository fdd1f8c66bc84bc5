// A settings store of one test's own: the file store in a temporary directory, the registry
// store under a temporary key of HKEY_CURRENT_USER; both are removed when the test ends, and
// the program's real settings are never touched.
#pragma once

#include <string>

#include "settings/settings_store.h"
#include "support/temp_dir.h"

class TestStore {
public:
    TestStore();
    ~TestStore();
    TestStore(const TestStore&) = delete;
    TestStore& operator=(const TestStore&) = delete;

    const SettingsStore& store() const { return store_; }
    const TempDir& dir() const { return dir_; }

private:
    TempDir dir_;
    SettingsStore store_;
};

// The platform's path separator, for expected default paths.
#ifdef _WIN32
constexpr wchar_t kTestSeparator = L'\\';
#else
constexpr wchar_t kTestSeparator = L'/';
#endif
