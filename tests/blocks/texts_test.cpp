// The text table and its formatter: texts kept exactly as the program shows them, ids that the
// resource string table can take, and printf-style conversions with wide strings.
#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <vector>

#include "app/texts.h"

namespace {

struct Line {
    int id;
    const char* text;
};

#define SW_TEXT(id, text) {id, text},
const Line kAllLines[] = {
#include "app/texts.def"
};
#define RC_INVOKED
const Line kResourceLines[] = {
#include "app/texts.def"
};
#undef RC_INVOKED
#undef SW_TEXT

TEST(Texts, EveryIdIsUniqueAndTheResourceScriptSeesOnlySixteenBitIds) {
    std::set<int> ids;
    for (const Line& line : kAllLines)
        EXPECT_TRUE(ids.insert(line.id).second) << "id " << line.id << " twice";
    size_t own = 0;
    for (const Line& line : kAllLines)
        own += line.id > 0xFFFF ? 1 : 0;
    EXPECT_GT(own, 0u);
    EXPECT_EQ(std::size(kResourceLines), std::size(kAllLines) - own);
    for (const Line& line : kResourceLines)
        EXPECT_LE(line.id, 0xFFFF);
}

TEST(Texts, TextsAreFoundByIdExactlyAsWritten) {
    EXPECT_STREQ(TextById(61430), L"Un-support NT system, run above of Win2000 system");
    EXPECT_STREQ(TextById(61437),
                 L"Connect to kvn service failure,\nplease run TV_FBKT\\InstallKVN.bat to install service as "
                 L"administrator.");
    EXPECT_STREQ(TextById(52405), L"Error: the image file must less than 1.5M  ");
    EXPECT_STREQ(TextById(57345), L" ");
    EXPECT_STREQ(TextById(5104), L"backup usb disk all floppy block to pc.\tBackup disk Ctrl+B");
    EXPECT_STREQ(TextById(kTextImageNotFat12), L"The format of image file is not FAT12 \n write or not?");
    EXPECT_STREQ(TextById(kTextNameTooLong), L"File name is too long,create failure");
    EXPECT_STREQ(TextById(1052), L"");  // a command without an entry
    EXPECT_STREQ(TextById(-1), L"");
}

TEST(Texts, NonAsciiTextsKeepTheirCharacters) {
    EXPECT_STREQ(TextById(52406), L"The file system of floppy disk is error\u00A3\u00A1");
    EXPECT_STREQ(TextById(61419), L"The number of floppy disk block (1 - %d)\u00A3\u00BA");
    EXPECT_STREQ(TextById(0x10020), L"\u4E0D\u652F\u6301\u5927\u6247\u533A(%dB)U\u76D8%s");
    EXPECT_EQ(FormatTextId(0x10020, {4096, L"E:"}), L"\u4E0D\u652F\u6301\u5927\u6247\u533A(4096B)U\u76D8E:");
}

TEST(Texts, FormatterFillsNumbersWithWidthsAndBases) {
    EXPECT_EQ(FormatText(L"%03d", {7}), L"007");
    EXPECT_EQ(FormatText(L"%03d", {1234}), L"1234");
    EXPECT_EQ(FormatText(L"%x", {0x1234}), L"1234");
    EXPECT_EQ(FormatText(L"%x", {-1}), L"ffffffff");
    EXPECT_EQ(FormatText(L"%X|%u", {255, 4000000000u}), L"FF|4000000000");
    EXPECT_EQ(FormatText(L"%d of %d", {-3, 10u}), L"-3 of 10");
    EXPECT_EQ(FormatText(L"%0.1f KB|%0.2f|%0.0f%%", {713.0, 1.3901, 44.5001}), L"713.0 KB|1.39|45%");
    EXPECT_EQ(FormatTextId(61410, {7}), L"007  floppy disk block, surpass the biggest capability \n\n Try or not?");
}

TEST(Texts, FormatterTakesWideStringsForPercentS) {
    std::wstring drive = L"E:";
    EXPECT_EQ(FormatText(L"[%s]", {drive}), L"[E:]");
    EXPECT_EQ(FormatText(L"%-4s|%4s|%.2s", {L"ab", L"cd", L"\u00E9t\u00E9"}), L"ab  |  cd|\u00E9t");
    EXPECT_EQ(FormatText(L"%c%c", {L'\u00E9', 'x'}), L"\u00E9x");
}

TEST(Texts, FormatterToleratesMissingArgumentsAndStrayPercents) {
    EXPECT_EQ(FormatText(L"a %d b %s c", {}), L"a  b  c");
    EXPECT_EQ(FormatText(L"100%", {}), L"100%");
    EXPECT_EQ(FormatText(L"%q!", {1}), L"%q!");
    EXPECT_EQ(FormatText(L"%ld %lu %lld", {1L, 2UL, 3LL}), L"1 2 3");
}

}  // namespace
