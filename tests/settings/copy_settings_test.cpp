// The copy settings: defaults from the working directory, values taken from the store only in
// a usable form, and all six written back.
#include "settings/copy_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "test_store.h"
#include "utf16_bytes.h"

namespace {

#ifdef _WIN32
const std::wstring kWorkDir = L"C:\\work\\slots";
const std::u16string kWorkDir16 = u"C:\\work\\slots";
#else
const std::wstring kWorkDir = L"/work/slots";
const std::u16string kWorkDir16 = u"/work/slots";
#endif

std::wstring InWorkDir(const wchar_t* leaf) {
    return kWorkDir + kTestSeparator + leaf;
}

// Settings full of values no load would produce, to show that every field is set.
CopySettings Scrambled() {
    CopySettings settings;
    wcscpy(settings.savePath, L"stale save path");
    wcscpy(settings.backupPath, L"stale backup path");
    settings.fileExistMode = 7;
    settings.keepFileInfo = 7;
    settings.dirDelAllFile = 7;
    settings.readOpenDirBit = 7;
    settings.loadOpenDirBit = 7;
    return settings;
}

void ExpectDefaults(const CopySettings& settings) {
    EXPECT_EQ(std::wstring(settings.savePath), InWorkDir(L"DISK"));
    EXPECT_EQ(std::wstring(settings.backupPath), InWorkDir(L"DISKBAK"));
    EXPECT_EQ(settings.fileExistMode, 0);
    EXPECT_EQ(settings.keepFileInfo, 1);
    EXPECT_EQ(settings.dirDelAllFile, 1);
    EXPECT_EQ(settings.readOpenDirBit, 1);
    EXPECT_EQ(settings.loadOpenDirBit, 1);
}

class CopySettingsTest : public ::testing::Test {
protected:
    // Stores one raw value under the program's key of the test store.
    void Put(const wchar_t* name, uint32_t type, const std::vector<uint8_t>& data) {
        SettingsKey key;
        ASSERT_EQ(store_.store().OpenKey(&key), 0);
        ASSERT_EQ(key.WriteValue(name, type, data.data(), data.size()), 0);
    }

    SettingsValue Get(const wchar_t* name) {
        SettingsKey key;
        SettingsValue value;
        EXPECT_EQ(store_.store().OpenKey(&key), 0);
        EXPECT_EQ(key.ReadValue(name, &value), 0) << "missing value";
        return value;
    }

    CopySettings Load() {
        CopySettings settings = Scrambled();
        LoadSettings(store_.store(), settings, kWorkDir);
        return settings;
    }

    TestStore store_;
};

TEST_F(CopySettingsTest, FirstRunGetsDefaultsAndSaveCreatesAllSixValues) {
    CopySettings settings = Load();
    ExpectDefaults(settings);

    ASSERT_EQ(SaveSettings(store_.store(), settings), 0);
    const std::vector<uint8_t> zero = {0, 0, 0, 0}, one = {1, 0, 0, 0};
    SettingsValue savePath = Get(kSavePathValue);
    EXPECT_EQ(savePath.type, SETTINGS_SZ);
    EXPECT_EQ(savePath.data, SzBytes(kWorkDir16 + char16_t(kTestSeparator) + u"DISK"));
    SettingsValue backupPath = Get(kBackupPathValue);
    EXPECT_EQ(backupPath.type, SETTINGS_SZ);
    EXPECT_EQ(backupPath.data, SzBytes(kWorkDir16 + char16_t(kTestSeparator) + u"DISKBAK"));
    for (const wchar_t* name : {kFileExistModeValue, kDirDelAllFileValue, kReadOpenDirBitValue, kLoadOpenDirBitValue}) {
        SettingsValue flag = Get(name);
        EXPECT_EQ(flag.type, SETTINGS_DWORD) << name;
        EXPECT_EQ(flag.data, name == kFileExistModeValue ? zero : one) << name;
    }
}

TEST_F(CopySettingsTest, SavedValuesAreLoadedBack) {
    CopySettings saved;
    wcscpy(saved.savePath, L"D:\\Fl\u00f6ppies \u4e0d");
    wcscpy(saved.backupPath, L"E:\\Backups");
    saved.fileExistMode = 1;
    saved.dirDelAllFile = 0;
    saved.readOpenDirBit = 0;
    saved.loadOpenDirBit = static_cast<int32_t>(0x80000001u);
    ASSERT_EQ(SaveSettings(store_.store(), saved), 0);

    CopySettings loaded = Load();
    EXPECT_EQ(std::wstring(loaded.savePath), L"D:\\Fl\u00f6ppies \u4e0d");
    EXPECT_EQ(std::wstring(loaded.backupPath), L"E:\\Backups");
    EXPECT_EQ(loaded.fileExistMode, 1);
    EXPECT_EQ(loaded.dirDelAllFile, 0);
    EXPECT_EQ(loaded.readOpenDirBit, 0);
    EXPECT_EQ(loaded.loadOpenDirBit, static_cast<int32_t>(0x80000001u));
    EXPECT_EQ(loaded.keepFileInfo, 1);  // never stored
}

TEST_F(CopySettingsTest, TwoHundredCharacterSavePathIsReadWhole) {
    std::u16string path = u"X:\\" + std::u16string(197, u'p');
    ASSERT_EQ(path.size(), 200u);
    Put(kSavePathValue, SETTINGS_SZ, SzBytes(path));
    CopySettings settings = Load();
    EXPECT_EQ(std::wstring(settings.savePath), L"X:\\" + std::wstring(197, L'p'));
}

TEST_F(CopySettingsTest, MissingFileExistModeLeavesOverwrite) {
    Put(kDirDelAllFileValue, SETTINGS_DWORD, {0, 0, 0, 0});
    Put(kReadOpenDirBitValue, SETTINGS_DWORD, {0, 0, 0, 0});
    CopySettings settings = Load();
    EXPECT_EQ(settings.fileExistMode, 0);
    EXPECT_EQ(settings.dirDelAllFile, 0);  // the values present were read
    EXPECT_EQ(settings.readOpenDirBit, 0);
    EXPECT_EQ(settings.loadOpenDirBit, 1);
}

TEST_F(CopySettingsTest, DefaultsOfARootDirectoryHaveOneSeparator) {
    CopySettings settings;
    const std::wstring root = kTestSeparator == L'/' ? L"/" : L"C:\\";
    LoadSettings(store_.store(), settings, root);
    EXPECT_EQ(std::wstring(settings.savePath), root + L"DISK");
    EXPECT_EQ(std::wstring(settings.backupPath), root + L"DISKBAK");
}

TEST(CopySettingsDefaults, OnlyOneTrailingSeparatorIsRemoved) {
    std::wstring sep(1, kTestSeparator);
    EXPECT_EQ(DefaultCopyPath(L"dir" + sep, L"DISK"), L"dir" + sep + L"DISK");
    EXPECT_EQ(DefaultCopyPath(L"dir" + sep + sep, L"DISK"), L"dir" + sep + sep + L"DISK");
    EXPECT_EQ(DefaultCopyPath(L"", L"DISK"), sep + L"DISK");
}

TEST(CopySettingsDefaults, AreBoundedToThePathField) {
    std::wstring deep(255, L'd');
    std::wstring path = DefaultCopyPath(deep, L"DISKBAK");
    EXPECT_EQ(path.size(), static_cast<size_t>(kPathChars - 1));
    EXPECT_EQ(path, (deep + kTestSeparator + L"DISKBAK").substr(0, kPathChars - 1));
}

TEST_F(CopySettingsTest, StringsOfOtherTypesAreIgnored) {
    // Each would read as a valid text if its type were not checked.
    Put(kSavePathValue, SETTINGS_BINARY, SzBytes(u"C:\\binary"));
    Put(kBackupPathValue, SETTINGS_DWORD, SzBytes(u"A"));
    ExpectDefaults(Load());
    Put(kSavePathValue, SETTINGS_NONE, SzBytes(u"C:\\none"));
    Put(kBackupPathValue, 11 /* REG_QWORD */, SzBytes(u"QWD"));
    ExpectDefaults(Load());
}

TEST_F(CopySettingsTest, ExpandableAndMultiStringsAreAccepted) {
    Put(kSavePathValue, SETTINGS_EXPAND_SZ, SzBytes(u"%USERPROFILE%\\DISK"));
    Put(kBackupPathValue, SETTINGS_MULTI_SZ, Utf16Bytes(std::u16string(u"first\0second\0\0", 14)));
    CopySettings settings = Load();
    EXPECT_EQ(std::wstring(settings.savePath), L"%USERPROFILE%\\DISK");  // taken as it is, not expanded
    EXPECT_EQ(std::wstring(settings.backupPath), L"first");
    // A multi-string of two zeros holds one empty string: an empty path.
    Put(kSavePathValue, SETTINGS_MULTI_SZ, {0, 0, 0, 0});
    EXPECT_EQ(std::wstring(Load().savePath), L"");
}

TEST_F(CopySettingsTest, MalformedStringDataIsIgnored) {
    struct Case {
        const char* what;
        uint32_t type;
        std::vector<uint8_t> data;
    };
    std::vector<uint8_t> oddSize = SzBytes(u"C:\\odd");
    oddSize.push_back(0);
    const Case cases[] = {
        {"odd byte size", SETTINGS_SZ, oddSize},
        {"no terminating zero", SETTINGS_SZ, Utf16Bytes(u"C:\\open")},
        {"empty", SETTINGS_SZ, {}},
        {"expandable without zero", SETTINGS_EXPAND_SZ, Utf16Bytes(u"C:\\open")},
        {"multi ending in one zero", SETTINGS_MULTI_SZ, SzBytes(u"C:\\one")},
        {"multi of one character", SETTINGS_MULTI_SZ, Utf16Bytes(std::u16string(1, u'\0'))},
        {"multi of odd size", SETTINGS_MULTI_SZ, {'C', 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        Put(kSavePathValue, c.type, c.data);
        EXPECT_EQ(std::wstring(Load().savePath), InWorkDir(L"DISK")) << c.what;
    }
}

TEST_F(CopySettingsTest, StringsLongerThanTheFieldAreIgnored) {
    Put(kSavePathValue, SETTINGS_SZ, SzBytes(std::u16string(kPathChars, u'L')));        // 261 with the zero
    Put(kBackupPathValue, SETTINGS_SZ, SzBytes(std::u16string(kPathChars - 1, u'F')));  // exactly fits
    CopySettings settings = Load();
    EXPECT_EQ(std::wstring(settings.savePath), InWorkDir(L"DISK"));
    EXPECT_EQ(std::wstring(settings.backupPath), std::wstring(kPathChars - 1, L'F'));
}

TEST_F(CopySettingsTest, DwordTypeIsNotCheckedButItsSizeIs) {
    Put(kFileExistModeValue, SETTINGS_BINARY, {1, 0, 0, 0});
    Put(kDirDelAllFileValue, SETTINGS_SZ, {0, 0, 0, 0});
    Put(kReadOpenDirBitValue, SETTINGS_DWORD, {0, 0});
    Put(kLoadOpenDirBitValue, SETTINGS_BINARY, {0, 0, 0, 0, 0, 0, 0, 0});
    CopySettings settings = Load();
    EXPECT_EQ(settings.fileExistMode, 1);
    EXPECT_EQ(settings.dirDelAllFile, 0);
    EXPECT_EQ(settings.readOpenDirBit, 1);  // too short: default
    EXPECT_EQ(settings.loadOpenDirBit, 1);  // too long: default
}

TEST_F(CopySettingsTest, SaveCutsAFieldThatLostItsZero) {
    CopySettings settings;
    std::fill(std::begin(settings.savePath), std::end(settings.savePath), L'z');
    ASSERT_EQ(SaveSettings(store_.store(), settings), 0);
    EXPECT_EQ(std::wstring(Load().savePath), std::wstring(kPathChars - 1, L'z'));
}

}  // namespace
