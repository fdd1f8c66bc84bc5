// The registry store seen from the registry itself: the values the program writes are the
// registry types it promises, and values other programs put there are read.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "settings/copy_settings.h"
#include "settings/current_dir.h"
#include "test_store.h"
#include "utf16_bytes.h"

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        SettingsKey create;
        ASSERT_EQ(test_.store().OpenKey(&create), 0);
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, test_.store().location().keyPath.c_str(), 0, KEY_ALL_ACCESS, &key_),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        if (key_) RegCloseKey(key_);
    }

    // The value as the registry holds it, read past the store.
    std::vector<uint8_t> Query(const wchar_t* name, DWORD* type) {
        BYTE buffer[1024];
        DWORD size = sizeof buffer;
        EXPECT_EQ(RegQueryValueExW(key_, name, nullptr, type, buffer, &size), ERROR_SUCCESS) << name;
        return std::vector<uint8_t>(buffer, buffer + (size <= sizeof buffer ? size : 0));
    }

    TestStore test_;
    HKEY key_ = nullptr;
};

TEST_F(RegistryTest, SaveWritesStringsAsRegSzAndFlagsAsRegDword) {
    CopySettings settings;
    wcscpy(settings.savePath, L"C:\\Fl\u00f6ppies");
    wcscpy(settings.backupPath, L"C:\\Back");
    settings.fileExistMode = 1;
    settings.readOpenDirBit = 0;
    ASSERT_EQ(SaveSettings(test_.store(), settings), 0);

    DWORD type = 0;
    EXPECT_EQ(Query(L"SavePath", &type), SzBytes(u"C:\\Fl\u00f6ppies"));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Query(L"BackupPath", &type), SzBytes(u"C:\\Back"));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    const struct {
        const wchar_t* name;
        uint8_t value;
    } flags[] = {{L"FileExistMode", 1}, {L"DirDelAllFile", 1}, {L"ReadOpenDirBit", 0}, {L"LoadOpenDirBit", 1}};
    for (const auto& flag : flags) {
        EXPECT_EQ(Query(flag.name, &type), (std::vector<uint8_t>{flag.value, 0, 0, 0})) << flag.name;
        EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << flag.name;
    }
}

TEST_F(RegistryTest, ValuesSetByAnotherProgramAreRead) {
    const wchar_t path[] = L"%SystemDrive%\\Floppies";
    ASSERT_EQ(RegSetValueExW(key_, L"SavePath", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(path), sizeof path),
              ERROR_SUCCESS);
    DWORD mode = 1;
    ASSERT_EQ(RegSetValueExW(key_, L"FileExistMode", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&mode), sizeof mode),
              ERROR_SUCCESS);
    CopySettings settings;
    LoadSettings(test_.store(), settings, L"C:\\work");
    EXPECT_EQ(std::wstring(settings.savePath), path);
    EXPECT_EQ(std::wstring(settings.backupPath), L"C:\\work\\DISKBAK");
    EXPECT_EQ(settings.fileExistMode, 1);
}

TEST_F(RegistryTest, SubkeyIsARealSubkeyOfTheKey) {
    SettingsKey dialog;
    ASSERT_EQ(test_.store().OpenKey(L"format_dlg", &dialog), 0);
    ASSERT_EQ(dialog.WriteDword(L"BlockNum", 20), 0);
    HKEY sub = nullptr;
    ASSERT_EQ(RegOpenKeyExW(key_, L"format_dlg", 0, KEY_READ, &sub), ERROR_SUCCESS);
    DWORD value = 0, size = sizeof value, type = 0;
    EXPECT_EQ(RegQueryValueExW(sub, L"BlockNum", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    RegCloseKey(sub);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 20u);
}

TEST(RegistryFailure, KeyThatCannotBeCreatedKeepsDefaultsAndSaveWritesNothing) {
    // A key name longer than the registry's 255-character limit cannot be created.
    SettingsLocation location;
    location.keyPath = L"Software\\Marrowfield\\" + std::wstring(300, L'k');
    SettingsStore store(location);
    SettingsKey key;
    EXPECT_NE(store.OpenKey(&key), 0);
    EXPECT_FALSE(key.IsOpen());
    CopySettings settings;
    LoadSettings(store, settings, L"C:\\");
    EXPECT_EQ(std::wstring(settings.savePath), L"C:\\DISK");
    EXPECT_NE(SaveSettings(store, settings), 0);
}

TEST(CurrentDirectory, IsTheProcessWorkingDirectory) {
    wchar_t temp[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
    wchar_t previous[MAX_PATH];
    ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, previous), 0u);
    ASSERT_TRUE(SetCurrentDirectoryW(temp));
    std::wstring current = CurrentDirectory();
    SetCurrentDirectoryW(previous);
    std::wstring expected = temp;
    if (expected.size() > 3 && expected.back() == L'\\') expected.pop_back();  // GetTempPath adds one
    EXPECT_EQ(current, expected);
}

}  // namespace
