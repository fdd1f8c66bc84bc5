// The file-backed store: where its file lives, how it is replaced, and what a damaged or
// hand-edited file gives.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "disk/wide_path.h"
#include "scoped_env.h"
#include "settings/copy_settings.h"
#include "settings/current_dir.h"
#include "settings/settings_store.h"
#include "support/temp_dir.h"
#include "test_store.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Listing(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void WriteFlag(const SettingsStore& store) {
    SettingsKey key;
    ASSERT_EQ(store.OpenKey(&key), 0);
    ASSERT_EQ(key.WriteDword(L"FileExistMode", 1), 0);
}

TEST(SettingsFileLocation, IsUnderXdgConfigHome) {
    TempDir dir;
    ScopedEnv xdg("XDG_CONFIG_HOME", dir.path().c_str());
    WriteFlag(SettingsStore());
    std::string text = ReadWholeFile(dir.File("slotwise/settings.ini"));
    EXPECT_NE(text.find("[Software\\Marrowfield\\fbkt]\nFileExistMode=REG_DWORD:0x00000001\n"), std::string::npos)
        << text;
}

TEST(SettingsFileLocation, FallsBackToHomeConfigWhenXdgIsUnsetOrRelative) {
    TempDir dir;
    ScopedEnv home("HOME", dir.path().c_str());
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
        WriteFlag(SettingsStore());
        EXPECT_TRUE(fs::exists(dir.File(".config/slotwise/settings.ini")));
    }
    fs::remove_all(dir.File(".config"));
    ScopedEnv xdg("XDG_CONFIG_HOME", "relative/config");
    WriteFlag(SettingsStore());
    EXPECT_TRUE(fs::exists(dir.File(".config/slotwise/settings.ini")));
}

TEST(SettingsFileStore, OpeningCreatesAPrivateFolderAndTheKeySection) {
    TempDir dir;
    SettingsLocation location;
    location.directory = dir.File("a/b/slotwise");
    SettingsStore store(location);
    SettingsKey key;
    ASSERT_EQ(store.OpenKey(L"format_dlg", &key), 0);

    struct stat info;
    ASSERT_EQ(stat(location.directory.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    std::string path = location.directory + "/settings.ini";
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_NE(ReadWholeFile(path).find("\n[Software\\Marrowfield\\fbkt\\format_dlg]\n"), std::string::npos);
}

TEST(SettingsFileStore, WritesReplaceTheFileAndLeaveNoTemporaries) {
    TestStore test;
    SettingsKey key;
    ASSERT_EQ(test.store().OpenKey(&key), 0);
    for (uint32_t i = 0; i < 5; ++i)
        ASSERT_EQ(key.WriteDword(L"Counter", i), 0);
    std::string directory = test.store().location().directory;
    EXPECT_EQ(Listing(directory), std::vector<std::string>{"settings.ini"});
    std::string text = ReadWholeFile(directory + "/settings.ini");
    EXPECT_EQ(text.find("Counter="), text.rfind("Counter="));  // one line, not one per write
    EXPECT_NE(text.find("Counter=REG_DWORD:0x00000004"), std::string::npos);
}

TEST(SettingsFileStore, OneFileCarriesEveryKeyAndSurvivesAReopen) {
    TestStore test;
    {
        SettingsKey root, dialog;
        ASSERT_EQ(test.store().OpenKey(&root), 0);
        ASSERT_EQ(test.store().OpenKey(L"format_fdd_dlg", &dialog), 0);
        ASSERT_EQ(root.WriteString(L"SavePath", L"/srv/a=b\nc \u00e9"), 0);
        ASSERT_EQ(dialog.WriteDword(L"QuickFormat", 1), 0);
    }
    SettingsStore again(test.store().location());
    SettingsKey root, dialog;
    ASSERT_EQ(again.OpenKey(&root), 0);
    ASSERT_EQ(again.OpenKey(L"format_fdd_dlg", &dialog), 0);
    wchar_t field[32];
    ASSERT_TRUE(root.ReadString(L"SavePath", field, 32));
    EXPECT_EQ(std::wstring(field), L"/srv/a=b\nc \u00e9");
    uint32_t quick = 0;
    EXPECT_TRUE(dialog.ReadDword(L"QuickFormat", &quick));
    EXPECT_EQ(quick, 1u);
}

class SettingsFileContent : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(test_.store().location().directory);
        path_ = test_.store().location().directory + "/settings.ini";
    }

    CopySettings Load() {
        CopySettings settings;
        LoadSettings(test_.store(), settings, L"/work");
        return settings;
    }

    TestStore test_;
    std::string path_;
};

TEST_F(SettingsFileContent, CorruptFileGivesDefaultsAndIsReplacedByASave) {
    std::string garbage = "[Software\\Marrowfield\\fbkt\nSavePath=REG_SZ:/nope\n\x01\x02\xff\xfe=\n";
    for (int i = 0; i < 256; ++i)
        garbage += static_cast<char>(i * 37);
    garbage += "\n[Software\\Marrowfield\\fbkt]\nSavePath=REG_DWORD:/nope\nFileExistMode=REG_DWORD:0xZZ\n";
    WriteWholeFile(path_, garbage);
    CopySettings settings = Load();
    EXPECT_EQ(std::wstring(settings.savePath), L"/work/DISK");
    EXPECT_EQ(std::wstring(settings.backupPath), L"/work/DISKBAK");
    EXPECT_EQ(settings.fileExistMode, 0);

    settings.fileExistMode = 1;
    ASSERT_EQ(SaveSettings(test_.store(), settings), 0);
    EXPECT_EQ(Load().fileExistMode, 1);
    EXPECT_EQ(ReadWholeFile(path_).find('\xff'), std::string::npos);
}

TEST_F(SettingsFileContent, TruncatedFileKeepsItsCompleteLines) {
    WriteWholeFile(path_, "[Software\\Marrowfield\\fbkt]\nDirDelAllFile=REG_DWORD:0x0\nSavePath=REG_S");
    CopySettings settings = Load();
    EXPECT_EQ(settings.dirDelAllFile, 0);
    EXPECT_EQ(std::wstring(settings.savePath), L"/work/DISK");
}

TEST_F(SettingsFileContent, HandEditedFileIsRead) {
    WriteWholeFile(path_,
                   "# my settings\r\n[software\\marrowfield\\fbkt]\r\nsavepath=REG_SZ:/mnt/My Floppies\r\n"
                   "BackupPath=REG_EXPAND_SZ:/mnt/back\\x20\r\nReadOpenDirBit=REG_DWORD:0x0\r\n");
    CopySettings settings = Load();
    EXPECT_EQ(std::wstring(settings.savePath), L"/mnt/My Floppies");
    EXPECT_EQ(std::wstring(settings.backupPath), L"/mnt/back ");
    EXPECT_EQ(settings.readOpenDirBit, 0);
}

TEST_F(SettingsFileContent, MalformedStringIsKeptAsHexAndNotUsed) {
    SettingsKey key;
    ASSERT_EQ(test_.store().OpenKey(&key), 0);
    const uint8_t odd[] = {'/', 0, 'x'};
    ASSERT_EQ(key.WriteValue(L"SavePath", SETTINGS_SZ, odd, sizeof odd), 0);
    EXPECT_NE(ReadWholeFile(path_).find("\nSavePath=hex(1):2f0078\n"), std::string::npos);
    EXPECT_EQ(std::wstring(Load().savePath), L"/work/DISK");
}

TEST(SettingsFileFailure, UnusableFolderKeepsDefaultsAndSaveWritesNothing) {
    TempDir dir;
    WriteWholeFile(dir.File("occupied"), "a file where the folder should be");
    SettingsLocation location;
    location.directory = dir.File("occupied/slotwise");
    SettingsStore store(location);
    SettingsKey key;
    EXPECT_NE(store.OpenKey(&key), 0);
    EXPECT_FALSE(key.IsOpen());

    CopySettings settings;
    LoadSettings(store, settings, L"/home/me");
    EXPECT_EQ(std::wstring(settings.savePath), L"/home/me/DISK");
    settings.fileExistMode = 1;
    EXPECT_NE(SaveSettings(store, settings), 0);
    EXPECT_EQ(ReadWholeFile(dir.File("occupied")), "a file where the folder should be");
}

TEST(SettingsFileFailure, UnreadableFileIsNotReplaced) {
    TempDir dir;
    SettingsLocation location;
    location.directory = dir.path();
    fs::create_directories(dir.File("settings.ini/inside"));  // a folder cannot be read as the file
    CopySettings settings;
    EXPECT_NE(SaveSettings(SettingsStore(location), settings), 0);
    EXPECT_TRUE(fs::is_directory(dir.File("settings.ini/inside")));
    EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"settings.ini"});
}

TEST(CurrentDirectory, IsTheWorkingDirectoryInWideCharacters) {
    TempDir dir;
    std::string folder = dir.File("cwd \xc3\xa9t\xc3\xa9");
    fs::create_directories(folder);
    std::string previous = fs::current_path().string();
    ASSERT_EQ(chdir(folder.c_str()), 0);
    std::wstring current = CurrentDirectory();
    ASSERT_EQ(chdir(previous.c_str()), 0);
    EXPECT_EQ(current, WideFromUtf8(fs::canonical(folder).string()));
    EXPECT_EQ(current.substr(current.size() - 7), L"cwd \u00e9t\u00e9");
}

}  // namespace
