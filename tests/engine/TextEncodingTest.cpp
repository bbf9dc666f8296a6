#include "engine/TextEncoding.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace plainora::engine;

TEST(TextEncoding, Utf16WithSurrogatesAndLoneSurrogates)
{
    const std::uint8_t pair[] = {'A', 0, 0x3D, 0xD8, 0x00, 0xDE, 0x00, 0xD8, 'b', 0};
    EXPECT_EQ(utf16leToUtf8(pair), "A\xF0\x9F\x98\x80\xEF\xBF\xBD"
                                   "b");
}

// Units arriving one at a time, as the readers get them, with the lone
// high surrogate either replaced or left out.
TEST(TextEncoding, JoinsUtf16UnitsGivenOneAtATime)
{
    struct Case
    {
        std::vector<char16_t> units;
        std::string replaced;
        std::string dropped;
    };
    const Case cases[] = {
        {{u'a', 0xD83D, 0xDE00, u'b'}, "a\U0001F600b", "a\U0001F600b"},
        {{0xD83D, u'x'}, "\uFFFDx", "x"},
        {{0xD83D, 0xD83D, 0xDE00}, "\uFFFD\U0001F600", "\U0001F600"},
        {{0xDE00, u'y'}, "\uFFFDy", "\uFFFDy"},
        {{u'z', 0xD83D}, "z\uFFFD", "z"}, // flushed at the end
    };
    for (const auto& c : cases) {
        for (const auto lone : {Utf16Joiner::LoneHigh::Replace, Utf16Joiner::LoneHigh::Drop}) {
            Utf16Joiner joiner(lone);
            std::string out;
            const auto append = [&](char32_t point) { appendUtf8(out, point); };
            for (const char16_t unit : c.units)
                joiner.push(unit, append);
            joiner.flush(append);
            EXPECT_EQ(out, lone == Utf16Joiner::LoneHigh::Replace ? c.replaced : c.dropped)
                << "case " << (&c - cases);
        }
    }
}

TEST(TextEncoding, DecodesCodePagesAndMarksUndecodableBytes)
{
    EXPECT_EQ(charsetForCodePage(1251), "CP1251");
    EXPECT_EQ(charsetForCodePage(65001), "UTF-8");
    EXPECT_EQ(charsetForCodePage(99999), "");
    const std::uint8_t cyrillic[] = {0xCF, 0xF0, 0xE8};
    EXPECT_EQ(decodeToUtf8(cyrillic, "CP1251"), "\xD0\x9F\xD1\x80\xD0\xB8");
    const std::uint8_t windows[] = {0x80, 'x', 0x81};
    EXPECT_EQ(decodeToUtf8(windows, "CP1252"), "\xE2\x82\xAC"
                                               "x\xEF\xBF\xBD");
}

TEST(TextEncoding, ValidatesUtf8Strictly)
{
    EXPECT_TRUE(isValidUtf8("plain \xC3\xA9 \xF0\x9F\x98\x80"));
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));         // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(isValidUtf8("caf\xE9"));          // Windows-1252
    EXPECT_FALSE(isValidUtf8("\xE2\x82"));         // truncated
    EXPECT_FALSE(isValidUtf8("\xF4\x9D\x8B\x8E")); // beyond U+10FFFF
}

// Text that claims to be UTF-8 comes out well formed, whatever iconv lets
// through: each stray byte becomes one U+FFFD, good sequences stay.
TEST(TextEncoding, RepairsIllFormedUtf8)
{
    const std::string mark = "\xEF\xBF\xBD";
    EXPECT_EQ(repairUtf8("ok \xC3\xA9 \xF0\x9F\x98\x80"), "ok \xC3\xA9 \xF0\x9F\x98\x80");
    EXPECT_EQ(repairUtf8("a\xF4\x9D\x8B\x8E"
                         "b"),
              "a" + mark + mark + mark + mark + "b");
    EXPECT_EQ(repairUtf8("\xC0\xAF\xED\xA0\x80"), mark + mark + mark + mark + mark);
    EXPECT_EQ(repairUtf8("caf\xE9"), "caf" + mark);
    EXPECT_EQ(repairUtf8("end \xE2\x82"), "end " + mark + mark);
    const std::uint8_t beyondUnicode[] = {'x', 0xF4, 0x9D, 0x8B, 0x8E};
    const std::string decoded = decodeToUtf8(beyondUnicode, "UTF-8");
    EXPECT_TRUE(isValidUtf8(decoded)) << decoded;
    EXPECT_EQ(decoded, "x" + mark + mark + mark + mark);
    // Other spellings of UTF-8 that iconv knows come out just as well formed.
    for (const char* label : {"\"utf8", "UTF-8//", "csUTF8", "ISO-10646/UTF8/"})
        EXPECT_TRUE(isValidUtf8(decodeToUtf8(beyondUnicode, label))) << label;
}

TEST(TextEncoding, SingleByteTablesMatchIconv)
{
    const auto table = singleByteTable("CP1251");
    EXPECT_EQ(table['A'], "A");
    EXPECT_EQ(table[0xCF], "\xD0\x9F");
    const auto windows = singleByteTable("CP1252");
    EXPECT_EQ(windows[0x80], "\xE2\x82\xAC");
    EXPECT_EQ(windows[0x81], "\xEF\xBF\xBD"); // undefined in Windows-1252
    EXPECT_EQ(singleByteTable("NO-SUCH-CHARSET")[0x80], "\xE2\x82\xAC");
    EXPECT_TRUE(isMultiByteCodePage(932));
    EXPECT_FALSE(isMultiByteCodePage(1250));
}

// Hebrew and Vietnamese converters hold a letter back in case a combining
// mark follows: the letter still comes out, at the end of a text, before a
// bad byte and alone in a table.
TEST(TextEncoding, LettersHeldBackForCombiningMarksAreNotLost)
{
    const std::uint8_t hebrew[] = {0xE0, 0xE1, ' ', 'x', ' ', 0xF9};
    EXPECT_EQ(decodeToUtf8(hebrew, "CP1255"), "\xD7\x90\xD7\x91 x \xD7\xA9"); // alef bet x shin
    const std::uint8_t beforeBadByte[] = {0xE0, 0xFF};                        // 0xFF is undefined in CP1255
    EXPECT_EQ(decodeToUtf8(beforeBadByte, "CP1255"), "\xD7\x90\xEF\xBF\xBD");
    EXPECT_EQ(singleByteTable("CP1255")[0xE0], "\xD7\x90");
    const std::uint8_t vietnamese[] = {'V', 0xE0};
    EXPECT_EQ(decodeToUtf8(vietnamese, "CP1258"), "V\xC3\xA0"); // a with grave
    EXPECT_EQ(singleByteTable("CP1258")[0xE0], "\xC3\xA0");
}

TEST(TextEncoding, GuessesUtf16ByMarkOrZeroBytes)
{
    std::size_t bom = 0;
    EXPECT_STREQ(guessUtf16(asBytes(std::string_view("\xFF\xFEh\0", 4)), &bom), "UTF-16LE");
    EXPECT_EQ(bom, 2u);
    EXPECT_STREQ(guessUtf16(asBytes(std::string_view("\xFE\xFF\0h", 4))), "UTF-16BE");
    EXPECT_STREQ(guessUtf16(asBytes(std::string_view("h\0i\0!\0", 6)), &bom), "UTF-16LE");
    EXPECT_EQ(bom, 0u);
    EXPECT_STREQ(guessUtf16(asBytes(std::string_view("\0h\0i\0!", 6))), "UTF-16BE");
    EXPECT_EQ(guessUtf16(asBytes("plain text")), nullptr);
    EXPECT_EQ(guessUtf16(asBytes(std::string_view("a\0\0b", 4))), nullptr);
}

TEST(TextEncoding, TextsLargerThanOneConversionWindowConvertWhole)
{
    std::string utf8;
    for (int i = 0; i < 200000; ++i)
        utf8 += "caf\xC3\xA9 \xE2\x82\xAC|";
    auto latin = encodeFromUtf8(utf8, "ISO-8859-1");
    ASSERT_TRUE(latin.ok());
    EXPECT_EQ(latin.value().bytes.size(), 200000u * 7);
    EXPECT_EQ(latin.value().bytes.substr(0, 14), "caf\xE9 ?|caf\xE9 ?|");
    EXPECT_EQ(latin.value().replacedCharacters, 200000u);
    EXPECT_EQ(decodeToUtf8(asBytes(latin.value().bytes), "ISO-8859-1").size(), 200000u * 8);
}

// Names compare by ASCII letters only: bytes of UTF-8 or of a code page
// never fold, whatever the locale would make of them.
TEST(TextEncoding, FoldsAsciiCaseOnly)
{
    EXPECT_EQ(asciiLower("Word/Document.XML \xC3\x89\xC9"), "word/document.xml \xC3\x89\xC9");
    struct Case
    {
        std::string_view a, b;
        bool equal, prefix;
    };
    for (const Case& c : {Case{"WordDocument", "worddocument", true, true},
                          Case{"Content-Type: text", "content-type:", false, true},
                          Case{"\xC9t\xC9", "\xE9T\xE9", false, false}, Case{"ab", "abc", false, false},
                          Case{"", "", true, true}}) {
        EXPECT_EQ(equalsIgnoringCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
        EXPECT_EQ(startsWithIgnoringCase(c.a, c.b), c.prefix) << c.a << " / " << c.b;
    }
}

// A font's character set and an old document's language each name a code
// page; sets and languages not listed fall back as the readers expect.
TEST(TextEncoding, MapsCharsetsAndLanguagesToCodePages)
{
    const std::pair<int, int> charsets[] = {{0, 1252},   {128, 932}, {204, 1251},
                                            {238, 1250}, {1, 0},     {999, 0}};
    for (const auto& [charset, codePage] : charsets)
        EXPECT_EQ(codePageForCharset(charset), codePage) << charset;
    const std::pair<std::uint16_t, int> languages[] = {{0x0419, 1251}, {0x0C1A, 1251}, {0x041A, 1250},
                                                       {0x0404, 950},  {0x0408, 1253}, {0x0409, 1252}};
    for (const auto& [lid, codePage] : languages)
        EXPECT_EQ(codePageForLanguage(lid), codePage) << std::hex << lid;
    EXPECT_EQ(combineSurrogates(0xD83D, 0xDE00), U'\U0001F600');
}
