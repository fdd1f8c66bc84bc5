// The file store: private, replaced whole, and a file it cannot read is never replaced. (Where
// the file lives, under XDG_CONFIG_HOME or ~/.config, the command-line scenario shows.)
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "settings/copy_settings.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

std::string Mode(const fs::path& path) {
    std::ostringstream octal;
    octal << std::oct << static_cast<unsigned>(fs::status(path).permissions());
    return octal.str();
}

// The names in the folder with their permissions, the folder's own, then the settings file's text.
std::string Contents(const std::string& folder) {
    std::string text;
    for (const auto& entry : fs::directory_iterator(folder))
        text += entry.path().filename().string() + " (" + Mode(entry.path()) + ") ";
    return text + "in a folder (" + Mode(folder) + ")\n" + ReadWholeFile(folder + "/settings.ini");
}

TEST(SettingsFileStore, IsPrivateAndReplacedWholeOnEveryWrite) {
    TempDir dir;
    SettingsLocation location;
    location.directory = dir.File("a/b/slotwise");
    SettingsKey key;
    ASSERT_EQ(SettingsStore(location).OpenKey(L"format_dlg", &key), 0);
    for (uint32_t i = 0; i < 3; ++i)
        ASSERT_EQ(key.WriteDword(L"Counter", i), 0);
    EXPECT_EQ(Contents(location.directory),
              "settings.ini (600) in a folder (700)\n# slotwise settings: one [key] section per key, one "
              "Name=TYPE:value line per value.\n\n[Software\\Marrowfield\\fbkt\\format_dlg]\n"
              "Counter=REG_DWORD:0x00000002\n");
}

TEST(SettingsFileStore, AFileThatCannotBeReadIsNeverReplaced) {
    TempDir dir;
    SettingsLocation location;
    location.directory = dir.path();
    fs::create_symlink("settings.ini", dir.File("settings.ini"));  // opening it fails (a loop), as root too
    EXPECT_NE(SaveSettings(SettingsStore(location), CopySettings()), 0);
    EXPECT_EQ(fs::read_symlink(dir.File("settings.ini")), "settings.ini");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);  // nothing beside
}

}  // namespace
