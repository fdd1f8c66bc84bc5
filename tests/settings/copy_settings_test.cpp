// The copy settings: defaults from the working directory, each stored value taken only in a usable
// form, and written back with its type (tests/golden/settings/copy_settings.txt).
#include "settings/copy_settings.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "disk/wide_path.h"
#include "settings/settings_file.h"
#include "support/golden.h"
#include "test_store.h"

namespace {

// The path with the platform's separator for each '/', and back.
std::wstring P(std::wstring path, wchar_t from = L'/', wchar_t to = kTestSeparator) {
    std::replace(path.begin(), path.end(), from, to);
    return path;
}

// A path as the tables show it: with '/' in one made from the working directory, a long one shortened.
std::string Shown(std::wstring text, bool made = false) {
    if (made || text.rfind(P(L"/work/slots"), 0) == 0) text = P(text, kTestSeparator, L'/');
    if (text.size() <= 40) return Utf8FromWide(text);
    return Utf8FromWide(text.substr(0, 8) + L"..." + text.substr(text.size() - 8)) + " (" +
           std::to_string(text.size()) + " characters)";
}

std::vector<std::string> Fields(const CopySettings& s) {
    std::vector<std::string> fields = {Shown(s.savePath), Shown(s.backupPath)};
    for (int32_t number :
         {s.fileExistMode, s.keepFileInfo, s.dirDelAllFile, s.readOpenDirBit, s.loadOpenDirBit, s.codePage})
        fields.push_back(std::to_string(number));
    return fields;
}

// Loads what the store holds, into settings full of values no load gives (every field must be set).
CopySettings Load(const SettingsStore& store) {
    CopySettings settings;
    std::fill(std::begin(settings.savePath), std::end(settings.savePath) - 1, L'?');
    settings.fileExistMode = settings.keepFileInfo = settings.dirDelAllFile = 7;
    settings.readOpenDirBit = settings.loadOpenDirBit = settings.codePage = 7;
    LoadSettings(store, settings, P(L"/work/slots"));
    return settings;
}

// Each case loads from a store holding one value, then saves what it loaded and loads that again.
TEST(CopySettings, StoredValuesAreTakenOnlyInAUsableFormAndWrittenBackWithTheirTypes) {
    const char* names[] = {"SavePath",      "BackupPath",     "FileExistMode",  "keepFileInfo",
                           "DirDelAllFile", "ReadOpenDirBit", "LoadOpenDirBit", "CodePage"};
    std::vector<std::string> defaults;
    ExpectGoldenTable("settings/copy_settings.txt", [&](const std::string& input) {
        if (input.rfind("working directory '", 0) == 0)
            return Shown(DefaultCopyPath(P(WideFromUtf8(input.substr(19, input.size() - 20))), L"DISK"), true);
        TestStore test, again;
        SettingsFile file = ParseSettingsFile("[x]\n" + input + "\n");
        SettingsKey key;
        EXPECT_EQ(test.store().OpenKey(&key), 0);
        for (const SettingsFileEntry& e : file.at(0).entries)
            key.WriteValue(WideFromUtf8(e.name), e.value.type, e.value.data.data(), e.value.data.size());
        std::vector<std::string> loaded = Fields(Load(test.store()));
        EXPECT_EQ(SaveSettings(again.store(), Load(test.store())), 0);
        EXPECT_EQ(Fields(Load(again.store())), loaded) << input;
        std::string out;
        for (size_t i = 0; i < loaded.size(); ++i)
            if (defaults.empty() || loaded[i] != defaults[i])
                out += (out.empty() ? "" : "; ") + std::string(names[i]) + " " + loaded[i];
        if (!defaults.empty()) return out.empty() ? "defaults" : out;
        defaults = loaded;  // the first case: also how they are stored
        SettingsKey saved;
        EXPECT_EQ(again.store().OpenKey(&saved), 0);
        for (int i : {0, 1, 2, 4, 5, 6, 7}) {  // type and size (the values came back above)
            SettingsValue value;
            saved.ReadValue(WideFromUtf8(names[i]), &value);
            out +=
                (i == 0 ? "; stored as " : ", ") + std::to_string(value.type) + ":" + std::to_string(value.data.size());
        }
        return out;
    });
    CopySettings full;  // a path that lost its zero is cut where the zero would have to be
    std::fill(std::begin(full.savePath), std::end(full.savePath), L'z');
    TestStore test;
    ASSERT_EQ(SaveSettings(test.store(), full), 0);
    EXPECT_EQ(std::wstring(Load(test.store()).savePath), std::wstring(kPathChars - 1, L'z'));
}

}  // namespace
