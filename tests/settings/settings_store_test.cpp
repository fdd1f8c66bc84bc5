// The settings store on this platform: typed values, raw values of any type, subkeys, and
// names and texts with awkward characters, each read back through a newly opened key.
#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include "test_store.h"
#include "utf16_bytes.h"

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    SettingsKey& Open(const std::wstring& subkey = std::wstring()) {
        keys_.emplace_back(new SettingsKey);
        EXPECT_EQ(store_.store().OpenKey(subkey, keys_.back().get()), 0);
        return *keys_.back();
    }

    TestStore store_;
    std::vector<std::unique_ptr<SettingsKey>> keys_;
};

TEST_F(SettingsStoreTest, DwordIsFourLittleEndianBytes) {
    ASSERT_EQ(Open().WriteDword(L"SplitterPos", 0xDEADBEEF), 0);
    uint32_t value = 0;
    EXPECT_TRUE(Open().ReadDword(L"SplitterPos", &value));
    EXPECT_EQ(value, 0xDEADBEEFu);
    SettingsValue raw;
    ASSERT_EQ(Open().ReadValue(L"SplitterPos", &raw), 0);
    EXPECT_EQ(raw.type, SETTINGS_DWORD);
    EXPECT_EQ(raw.data, (std::vector<uint8_t>{0xEF, 0xBE, 0xAD, 0xDE}));
}

TEST_F(SettingsStoreTest, BinaryIsReadOnlyAtItsExactSize) {
    uint8_t record[20];
    for (int i = 0; i < 20; ++i)
        record[i] = static_cast<uint8_t>(0xF0 + i);
    ASSERT_EQ(Open().WriteBinary(L"MainWinPos", record, sizeof record), 0);

    uint8_t back[24] = {};
    EXPECT_TRUE(Open().ReadBinary(L"MainWinPos", back, 20));
    EXPECT_EQ(std::vector<uint8_t>(back, back + 20), std::vector<uint8_t>(record, record + 20));

    uint8_t untouched[24] = {};
    EXPECT_FALSE(Open().ReadBinary(L"MainWinPos", untouched, 16));
    EXPECT_FALSE(Open().ReadBinary(L"MainWinPos", untouched, 24));
    EXPECT_EQ(std::vector<uint8_t>(untouched, untouched + 24), std::vector<uint8_t>(24, 0));
}

TEST_F(SettingsStoreTest, MissingValueLeavesEverythingAsItWas) {
    SettingsKey& key = Open();
    SettingsValue raw;
    EXPECT_NE(key.ReadValue(L"NoSuchValue", &raw), 0);
    uint32_t number = 42;
    EXPECT_FALSE(key.ReadDword(L"NoSuchValue", &number));
    EXPECT_EQ(number, 42u);
    wchar_t field[8] = L"keep";
    EXPECT_FALSE(key.ReadString(L"NoSuchValue", field, 8));
    EXPECT_EQ(std::wstring(field), L"keep");
}

TEST_F(SettingsStoreTest, SubkeysHoldTheirOwnValues) {
    ASSERT_EQ(Open().WriteDword(L"LastFormatType", 5), 0);
    ASSERT_EQ(Open(L"format_dlg").WriteDword(L"LastFormatType", 2), 0);
    ASSERT_EQ(Open(L"format_fdd_dlg").WriteDword(L"QuickFormat", 1), 0);

    uint32_t value = 0;
    EXPECT_TRUE(Open().ReadDword(L"LastFormatType", &value));
    EXPECT_EQ(value, 5u);
    EXPECT_TRUE(Open(L"format_dlg").ReadDword(L"LastFormatType", &value));
    EXPECT_EQ(value, 2u);
    EXPECT_FALSE(Open(L"format_fdd_dlg").ReadDword(L"LastFormatType", &value));
    EXPECT_FALSE(Open().ReadDword(L"QuickFormat", &value));
}

TEST_F(SettingsStoreTest, WritingANameAgainReplacesTypeAndData) {
    ASSERT_EQ(Open().WriteDword(L"LastSelStyle", 1054), 0);
    ASSERT_EQ(Open().WriteString(L"LastSelStyle", L"text"), 0);
    SettingsValue raw;
    ASSERT_EQ(Open().ReadValue(L"LastSelStyle", &raw), 0);
    EXPECT_EQ(raw.type, SETTINGS_SZ);
    EXPECT_EQ(raw.data, SzBytes(u"text"));
}

TEST_F(SettingsStoreTest, NamesMatchWithoutRegardToCase) {
    ASSERT_EQ(Open().WriteDword(L"FileExistMode", 1), 0);
    ASSERT_EQ(Open().WriteDword(L"FILEEXISTMODE", 3), 0);
    uint32_t value = 0;
    EXPECT_TRUE(Open().ReadDword(L"fileexistmode", &value));
    EXPECT_EQ(value, 3u);
}

TEST_F(SettingsStoreTest, RawValuesOfAnyTypeAreKeptAsStored) {
    const struct {
        const wchar_t* name;
        uint32_t type;
        std::vector<uint8_t> data;
    } cases[] = {
        {L"Qword", 11, {1, 2, 3, 4, 5, 6, 7, 8}},
        {L"OddString", SETTINGS_SZ, {'a', 0, 'b'}},
        {L"OpenString", SETTINGS_SZ, {'a', 0, 'b', 0}},
        {L"LoneSurrogate", SETTINGS_SZ, {0x00, 0xD8, 0, 0}},
        {L"ShortDword", SETTINGS_DWORD, {9, 9}},
        {L"EmptyBinary", SETTINGS_BINARY, {}},
        {L"Nothing", SETTINGS_NONE, {0xFF}},
    };
    for (const auto& c : cases)
        ASSERT_EQ(Open().WriteValue(c.name, c.type, c.data.data(), c.data.size()), 0);
    for (const auto& c : cases) {
        SettingsValue raw;
        ASSERT_EQ(Open().ReadValue(c.name, &raw), 0) << c.name;
        EXPECT_EQ(raw.type, c.type) << c.name;
        EXPECT_EQ(raw.data, c.data) << c.name;
    }
}

TEST_F(SettingsStoreTest, AwkwardNamesAndTextsSurvive) {
    const struct {
        const wchar_t* text;
        const char16_t* text16;
    } texts[] = {
        {L"", u""},
        {L"a=b==c", u"a=b==c"},
        {L"first line\nsecond line\r\nthird", u"first line\nsecond line\r\nthird"},
        {L"\ttab and  spaces  ", u"\ttab and  spaces  "},
        {L"C:\\back\\slash\\", u"C:\\back\\slash\\"},
        {L"\\x41 \\0 \\n", u"\\x41 \\0 \\n"},
        {L"#not a comment", u"#not a comment"},
        {L"[not a section]", u"[not a section]"},
        {L"caf\u00e9 \u4e0d\u652f\u6301 \U0001F4BE", u"caf\u00e9 \u4e0d\u652f\u6301 \U0001F4BE"},
        {L"bell\a del\x7f", u"bell\a del\x7f"},
    };
    const wchar_t* names[] = {L"Save=Path",         L"[Section", L"#Hash", L";Semi", L"Two\nLines",
                              L"Caf\u00e9 \\ Name", L" Spaced ", L"=",     L"x",     L"Final"};
    static_assert(sizeof names / sizeof names[0] == sizeof texts / sizeof texts[0], "one name per text");
    for (size_t i = 0; i < std::size(texts); ++i)
        ASSERT_EQ(Open().WriteString(names[i], texts[i].text), 0);

    for (size_t i = 0; i < std::size(texts); ++i) {
        wchar_t field[64];
        ASSERT_TRUE(Open().ReadString(names[i], field, 64)) << i;
        EXPECT_EQ(std::wstring(field), texts[i].text) << i;
        SettingsValue raw;
        ASSERT_EQ(Open().ReadValue(names[i], &raw), 0);
        EXPECT_EQ(raw.data, SzBytes(texts[i].text16)) << i;
    }
}

}  // namespace
