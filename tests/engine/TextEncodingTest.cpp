#include <gtest/gtest.h>

#include "TextEncoding.h"

using namespace plainora::engine;

TEST(TextEncoding, Utf16WithSurrogatesAndLoneSurrogates)
{
    const std::uint8_t pair[] = {'A', 0, 0x3D, 0xD8, 0x00, 0xDE, 0x00, 0xD8, 'b', 0};
    EXPECT_EQ(utf16leToUtf8(pair), "A\xF0\x9F\x98\x80\xEF\xBF\xBD" "b");
}

TEST(TextEncoding, DecodesCodePagesAndMarksUndecodableBytes)
{
    EXPECT_EQ(charsetForCodePage(1251), "CP1251");
    EXPECT_EQ(charsetForCodePage(65001), "UTF-8");
    EXPECT_EQ(charsetForCodePage(99999), "");
    const std::uint8_t cyrillic[] = {0xCF, 0xF0, 0xE8};
    EXPECT_EQ(decodeToUtf8(cyrillic, "CP1251"), "\xD0\x9F\xD1\x80\xD0\xB8");
    const std::uint8_t windows[] = {0x80, 'x', 0x81};
    EXPECT_EQ(decodeToUtf8(windows, "CP1252"), "\xE2\x82\xAC" "x\xEF\xBF\xBD");
}

TEST(TextEncoding, ValidatesUtf8Strictly)
{
    EXPECT_TRUE(isValidUtf8("plain \xC3\xA9 \xF0\x9F\x98\x80"));
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));         // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(isValidUtf8("caf\xE9"));          // Windows-1252
    EXPECT_FALSE(isValidUtf8("\xE2\x82"));         // truncated
}
