#include "disk/system_error.h"

#include <gtest/gtest.h>

#include "disk/wide_path.h"

TEST(SystemError, UnknownCodeHasNoText) {
    EXPECT_TRUE(SystemErrorText(0x7FFFFF01u).empty());
}

TEST(WidePath, Utf8RoundTripKeepsEveryPlane) {
    std::wstring text = L"Disk \u00e9t\u00e9 \u4e0d\u652f\u6301";
    text += static_cast<wchar_t>(0x7F);
    EXPECT_EQ(WideFromUtf8(Utf8FromWide(text)), text);
    EXPECT_EQ(Utf8FromWide(L"\u00e9"), "\xc3\xa9");
    EXPECT_EQ(WideFromUtf8("\xe4\xb8\x8d"), L"\u4e0d");
}
