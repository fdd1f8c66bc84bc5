// Result codes of block operations and jobs as the user reads them.
#include "app/result_text.h"

#include <gtest/gtest.h>

#include "disk/system_error.h"

namespace {

TEST(ResultText, SuccessShowsNothingAndKnownConditionsHaveTheirOwnTexts) {
    EXPECT_EQ(ResultText(0), L"");
    const std::wstring overCapacity = L"Error: the current floppy disk block is over the biggest capability";
    EXPECT_EQ(ResultText(5), overCapacity);
    EXPECT_EQ(ResultText(258), overCapacity);
    EXPECT_EQ(ResultText(17), L"The file system of floppy disk is error\u00A3\u00A1");
    EXPECT_EQ(ResultText(256), L"Error: Not FAT12 file system");
    EXPECT_EQ(ResultText(257), L"Error: the image file must less than 1.5M  ");
}

TEST(ResultText, OtherCodesShowTheirHexadecimalValue) {
    EXPECT_EQ(ResultText(0x1234), L"Error code: 1234");
    EXPECT_EQ(ResultText(1), L"Error code: 1");
    EXPECT_EQ(ResultText(11), L"Error code: b");
    EXPECT_EQ(ResultText(-2), L"Error code: fffffffe");
}

TEST(ResultText, SystemErrorShowsTheSystemsTextOrSaysItHasNone) {
    SetLastSystemError(2);  // file not found, on every system
    std::wstring text = ResultText(-1);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text, SystemErrorText(2));
    SetLastSystemError(0x7FFFFFF0);
    EXPECT_EQ(ResultText(-1), L"Error number not found.");
}

}  // namespace
