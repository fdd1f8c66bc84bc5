// The settings file's text: hand-written files are read, malformed lines are dropped without
// disturbing the others, and every value written comes back as it was stored.
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "utf16_bytes.h"

namespace {

const SettingsValue* Lookup(SettingsFile& file, const std::string& section, const std::string& name) {
    SettingsFileSection* s = FindSection(file, section);
    const SettingsFileEntry* entry = s ? FindEntry(*s, name) : nullptr;
    return entry ? &entry->value : nullptr;
}

TEST(SettingsFileRead, TakesAHandWrittenFile) {
    SettingsFile file = ParseSettingsFile(
        "; written by hand, with Windows line ends\r\n"
        "\r\n"
        "[Software\\Marrowfield\\fbkt]\r\n"
        "SavePath=REG_SZ:/mnt/floppies\r\n"
        "fileexistmode=reg_dword:0x1\r\n"
        "MainWinPos=REG_BINARY:00FFaa\r\n"
        "[Software\\Marrowfield\\fbkt\\format_dlg]\n"
        "LastFormatType=REG_DWORD:0x00000003\n"
        "Note=REG_EXPAND_SZ:%HOME%\\t\\x41\\\\\n");
    ASSERT_EQ(file.size(), 2u);
    const std::string key = "Software\\Marrowfield\\fbkt";
    const struct {
        std::string section, name;
        uint32_t type;
        std::vector<uint8_t> data;
    } expected[] = {
        {"software\\marrowfield\\FBKT", "SavePath", SETTINGS_SZ, SzBytes(u"/mnt/floppies")},
        {key, "FileExistMode", SETTINGS_DWORD, {1, 0, 0, 0}},
        {key, "MainWinPos", SETTINGS_BINARY, {0x00, 0xFF, 0xAA}},
        {key + "\\format_dlg", "LastFormatType", SETTINGS_DWORD, {3, 0, 0, 0}},
        {key + "\\format_dlg", "Note", SETTINGS_EXPAND_SZ, SzBytes(u"%HOME%\tA\\")},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.name);
        const SettingsValue* value = Lookup(file, e.section, e.name);
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(value->type, e.type);
        EXPECT_EQ(value->data, e.data);
    }
}

TEST(SettingsFileRead, DropsMalformedLinesAndKeepsTheRest) {
    SettingsFile file = ParseSettingsFile(
        "Orphan=REG_DWORD:0x1\n"  // before any section
        "[Software\\Marrowfield\\fbkt]\n"
        "Good1=REG_DWORD:0x1\n"
        "no equals sign\n"
        "Unknown=REG_FOO:1\n"
        "NoColon=REG_SZ\n"
        "BadHex=REG_BINARY:0g\n"
        "HalfByte=REG_BINARY:abc\n"
        "LongDword=REG_DWORD:0x123456789\n"
        "BareDword=REG_DWORD:12\n"
        "EmptyDword=REG_DWORD:0x\n"
        "BadEscape=REG_SZ:a\\q\n"
        "CutEscape=REG_SZ:\\x4\n"
        "TrailingBackslash=REG_SZ:abc\\\n"
        "NotUtf8=REG_SZ:\xC3\x28\n"
        "Overlong=REG_SZ:\xC0\xAF\n"
        "Surrogate=REG_SZ:\xED\xA0\x80\n"
        "BadName\\q=REG_DWORD:0x1\n"
        "HugeType=hex(4294967296):00\n"
        "NoType=hex():00\n"
        "Good2=hex(11):0102\n"
        "[Unclosed\n"
        "Lost=REG_DWORD:0x1\n"
        "[Software\\Marrowfield\\fbkt]\n"
        "Good3=REG_SZ:\n");
    ASSERT_EQ(file.size(), 1u);
    std::vector<std::string> names;
    for (const SettingsFileEntry& entry : file[0].entries)
        names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Good1", "Good2", "Good3"}));
    EXPECT_EQ(file[0].entries[1].value.type, 11u);
}

TEST(SettingsFileRead, MergesRepeatedSectionsAndKeepsTheLastValue) {
    SettingsFile file = ParseSettingsFile(
        "[Key]\nA=REG_DWORD:0x1\nB=REG_DWORD:0x2\n"
        "[Other]\nA=REG_DWORD:0x9\n"
        "[KEY]\na=REG_DWORD:0x3\n");
    ASSERT_EQ(file.size(), 2u);
    ASSERT_EQ(file[0].entries.size(), 2u);
    EXPECT_EQ(file[0].entries[0].name, "A");
    EXPECT_EQ(file[0].entries[0].value.data, (std::vector<uint8_t>{3, 0, 0, 0}));
}

TEST(SettingsFileRead, FindsValidLinesAfterBinaryGarbage) {
    std::string garbage;
    uint32_t seed = 12345;
    for (int i = 0; i < 4096; ++i) {
        seed = seed * 1103515245u + 12345u;
        garbage += static_cast<char>(seed >> 16);
    }
    SettingsFile file = ParseSettingsFile(garbage + "\n[Software\\Marrowfield\\fbkt]\nFileExistMode=REG_DWORD:0x1\n");
    const SettingsValue* mode = Lookup(file, "Software\\Marrowfield\\fbkt", "FileExistMode");
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->data, (std::vector<uint8_t>{1, 0, 0, 0}));
}

TEST(SettingsFileWrite, GivesReadableLines) {
    SettingsFile file = {{"Software\\Marrowfield\\fbkt", {}}};
    SetEntry(file[0], "SavePath", SettingsValue{SETTINGS_SZ, SzBytes(u"/home/me/DISK ")});
    SetEntry(file[0], "FileExistMode", SettingsValue{SETTINGS_DWORD, {1, 0, 0, 0x80}});
    SetEntry(file[0], "MainWinPos", SettingsValue{SETTINGS_BINARY, {0x00, 0xAB}});
    SetEntry(file[0], "a=b", SettingsValue{SETTINGS_MULTI_SZ, Utf16Bytes(std::u16string(u"x\0y\n\0\0", 6))});
    SetEntry(file[0], "[odd", SettingsValue{SETTINGS_SZ, {'a', 0, 'b'}});
    std::string text = FormatSettingsFile(file);
    for (const char* line : {"\n[Software\\Marrowfield\\fbkt]\n", "\nSavePath=REG_SZ:/home/me/DISK\\x20\n",
                             "\nFileExistMode=REG_DWORD:0x80000001\n", "\nMainWinPos=REG_BINARY:00ab\n",
                             "\na\\x3db=REG_MULTI_SZ:x\\0y\\n\\0\n", "\n\\x5bodd=hex(1):610062\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << "in:\n" << text;
    }
}

TEST(SettingsFileWrite, EveryValueComesBackAsStored) {
    SettingsFile file = {{"Software\\Marrowfield\\fbkt", {}}, {"Software\\Marrowfield\\fbkt\\format_dlg", {}}};
    const SettingsFileEntry entries[] = {
        {"", {SETTINGS_SZ, SzBytes(u"default value")}},
        {"Text", {SETTINGS_SZ, SzBytes(u"line\nbreak\r\t\\ =[#; caf\u00e9 \U0001F4BE ")}},
        {"EmbeddedZero", {SETTINGS_SZ, Utf16Bytes(std::u16string(u"a\0b\0", 4))}},
        {"Expand", {SETTINGS_EXPAND_SZ, SzBytes(u"%TEMP%")}},
        {"Multi", {SETTINGS_MULTI_SZ, Utf16Bytes(std::u16string(u"one\0two\0\0", 9))}},
        {"OddString", {SETTINGS_SZ, {'a', 0, 'b'}}},
        {"OpenString", {SETTINGS_SZ, {'a', 0}}},
        {"LoneSurrogate", {SETTINGS_EXPAND_SZ, {0x00, 0xDC, 0, 0}}},
        {"Dword", {SETTINGS_DWORD, {0xFF, 0xFE, 0xFD, 0xFC}}},
        {"ShortDword", {SETTINGS_DWORD, {1}}},
        {"Binary", {SETTINGS_BINARY, {0, 1, 2, 0xFF}}},
        {"EmptyBinary", {SETTINGS_BINARY, {}}},
        {"Qword", {11, {1, 2, 3, 4, 5, 6, 7, 8}}},
        {"HighType", {0xFFFFFFFFu, {0x5A}}},
        {"\\x41 \\ name\nwith\tcontrols\x01", {SETTINGS_NONE, {}}},
    };
    for (const SettingsFileEntry& entry : entries) {
        SetEntry(file[0], entry.name, entry.value);
        SetEntry(file[1], entry.name, entry.value);
    }
    std::string text = FormatSettingsFile(file);
    // One line per entry, one per section header, a blank line before each, and the comment.
    EXPECT_EQ(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')), 1 + 2 * (2 + std::size(entries)));

    SettingsFile back = ParseSettingsFile(text);
    ASSERT_EQ(back.size(), 2u);
    for (size_t s = 0; s < 2; ++s) {
        EXPECT_EQ(back[s].keyPath, file[s].keyPath);
        ASSERT_EQ(back[s].entries.size(), std::size(entries));
        for (size_t i = 0; i < std::size(entries); ++i) {
            EXPECT_EQ(back[s].entries[i].name, entries[i].name) << i;
            EXPECT_EQ(back[s].entries[i].value.type, entries[i].value.type) << entries[i].name;
            EXPECT_EQ(back[s].entries[i].value.data, entries[i].value.data) << entries[i].name;
        }
    }
}

TEST(SettingsFileWrite, RefusesSectionNamesThatBreakTheHeader) {
    EXPECT_TRUE(IsValidSectionName("Software\\Marrowfield\\fbkt\\format_fdd_dlg"));
    EXPECT_FALSE(IsValidSectionName("a]b"));
    EXPECT_FALSE(IsValidSectionName("a\nb"));
}

}  // namespace
