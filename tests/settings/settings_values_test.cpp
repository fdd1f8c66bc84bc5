// Every kind of settings value, as tests/settings/hand_written.ini holds them among damaged lines:
// what the settings file's text gives, and that it is written back in readable lines that read
// back as they were (whole outputs against golden files). The store on this platform (the
// registry, or the file): subkeys and names as the registry treats them.
#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "support/golden.h"
#include "test_store.h"

namespace {

// "type:" then texts of even size as text (\uXXXX outside printable ASCII), the rest in hex.
std::string ValueText(const SettingsValue& value) {
    const char* hex = "0123456789abcdef";
    std::string text = std::to_string(value.type) + ":";
    const bool isText = (value.type == 1 || value.type == 2 || value.type == 7) && value.data.size() % 2 == 0;
    for (size_t i = 0; i < value.data.size(); i += isText ? 2 : 1) {
        unsigned unit = isText ? value.data[i] | value.data[i + 1] << 8 : value.data[i];
        if (isText && unit >= 0x20 && unit < 0x7F && unit != '\\') {
            text += static_cast<char>(unit);
        } else {
            text += isText ? "\\u" : "";
            for (int shift = isText ? 12 : 4; shift >= 0; shift -= 4)
                text += hex[(unit >> shift) & 15];
        }
    }
    return text;
}

// One line per section and entry; control characters in names as \xHH.
std::string Dump(const SettingsFile& file) {
    std::string out;
    for (const SettingsFileSection& section : file) {
        out += "[" + section.keyPath + "]\n";
        for (const SettingsFileEntry& entry : section.entries) {
            for (unsigned char c : entry.name)
                out += c >= 0x20 ? std::string(1, static_cast<char>(c))
                                 : "\\x" + std::to_string(c / 16) + "0123456789abcdef"[c % 16];
            out += " = " + ValueText(entry.value) + "\n";
        }
    }
    return out;
}

TEST(SettingsFile, AHandWrittenFileGivesItsValidLinesAndIsWrittenBackReadably) {
    SettingsFile file =
        ParseSettingsFile(ReadWholeFile(std::string(SLOTWISE_SOURCE_DIR) + "/tests/settings/hand_written.ini"));
    ExpectGolden("settings/hand_written_parsed.txt", Dump(file));
    std::string text = FormatSettingsFile(file);
    ExpectGolden("settings/hand_written_rewritten.ini", text);
    EXPECT_EQ(Dump(ParseSettingsFile(text)), Dump(file));
    EXPECT_FALSE(IsValidSectionName("a]b") || IsValidSectionName("a\nb"));
}

TEST(SettingsStore, SubkeysHoldTheirOwnValuesAndNamesMatchWithoutRegardToCase) {
    TestStore test;
    SettingsKey key, dialog, other;
    SettingsValue value;
    ASSERT_EQ(test.store().OpenKey(&key) | test.store().OpenKey(L"format_dlg", &dialog), 0);
    ASSERT_EQ(dialog.WriteDword(L"LastFormatType", 3) | key.WriteDword(L"FileExistMode", 1), 0);
    ASSERT_EQ(key.WriteString(L"FILEEXISTMODE", L"text"), 0);  // the same name: replaced, type and all
    SettingsStore again(test.store().location());
    ASSERT_EQ(again.OpenKey(&key) | again.OpenKey(L"format_fdd_dlg", &other), 0);
    EXPECT_NE(key.ReadValue(L"LastFormatType", &value), 0);
    EXPECT_NE(other.ReadValue(L"LastFormatType", &value), 0);
    EXPECT_EQ(key.ReadValue(L"fileexistmode", &value), 0);
    EXPECT_EQ(ValueText(value), "1:text\\u0000");
}

}  // namespace
