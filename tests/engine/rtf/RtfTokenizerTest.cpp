#include "engine/rtf/RtfTokenizer.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace plainora::engine;
using Type = RtfToken::Type;

namespace {

std::vector<RtfToken> tokensOf(const std::string& rtf)
{
    RtfTokenizer tokenizer(asBytes(rtf));
    std::vector<RtfToken> tokens;
    for (RtfToken token = tokenizer.next(); token.type != Type::End; token = tokenizer.next())
        tokens.push_back(token);
    return tokens;
}

} // namespace

TEST(RtfTokenizer, SplitsGroupsWordsSymbolsAndText)
{
    const std::string rtf = "{\\b1 bold\\b0\\'e9\\~x}";
    const auto tokens = tokensOf(rtf);
    ASSERT_EQ(tokens.size(), 8u);
    EXPECT_EQ(tokens[0].type, Type::GroupStart);
    EXPECT_EQ(tokens[1].type, Type::ControlWord);
    EXPECT_EQ(tokens[1].word, "b");
    EXPECT_TRUE(tokens[1].hasParameter);
    EXPECT_EQ(tokens[1].parameter, 1);
    EXPECT_EQ(tokens[2].type, Type::Text);
    EXPECT_EQ(tokens[2].text, "bold"); // the space after \b1 delimits the word
    EXPECT_EQ(tokens[3].word, "b");
    EXPECT_EQ(tokens[3].parameter, 0);
    EXPECT_EQ(tokens[4].type, Type::HexByte);
    EXPECT_EQ(tokens[4].byte, 0xE9);
    EXPECT_EQ(tokens[5].type, Type::ControlSymbol);
    EXPECT_EQ(tokens[5].symbol, '~');
    EXPECT_EQ(tokens[6].text, "x");
    EXPECT_EQ(tokens[7].type, Type::GroupEnd);
}

TEST(RtfTokenizer, ReadsParametersAndDelimiters)
{
    const std::string rtf = "\\u-3913?\\fs24-\\par\r\nnext\\\r\n\\li99999999999999 x";
    const auto tokens = tokensOf(rtf);
    ASSERT_EQ(tokens.size(), 9u);
    EXPECT_EQ(tokens[0].word, "u");
    EXPECT_EQ(tokens[0].parameter, -3913);
    EXPECT_EQ(tokens[1].text, "?");
    EXPECT_EQ(tokens[2].parameter, 24);
    EXPECT_EQ(tokens[3].text, "-"); // a '-' not followed by a digit is text
    EXPECT_EQ(tokens[4].word, "par");
    EXPECT_FALSE(tokens[4].hasParameter);
    EXPECT_EQ(tokens[5].text, "next"); // raw CR and LF are not text
    EXPECT_EQ(tokens[6].symbol, '\n'); // a backslash before a line end
    // Ten digits at most are read, and the value is clamped to 32 bits.
    EXPECT_EQ(tokens[7].parameter, INT32_MAX);
    EXPECT_EQ(tokens[8].text, "x");
}

TEST(RtfTokenizer, SkipsBinaryDataByItsLength)
{
    const std::string rtf = std::string("\\bin5 {}\\}\0x", 12) + "\\bin999 abc";
    const auto tokens = tokensOf(rtf);
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[0].type, Type::Binary);
    EXPECT_EQ(tokens[0].text.size(), 5u);
    EXPECT_EQ(tokens[1].text, "x");
    // A length beyond the end is cut to what the file holds.
    EXPECT_EQ(tokens[2].type, Type::Binary);
    EXPECT_EQ(tokens[2].text, "abc");
}

TEST(RtfTokenizer, SkipsAGroupByBraceMatching)
{
    RtfTokenizer tokenizer(asBytes("{\\*\\x {a\\}{b}} \\{ {\\bin2 }}}}rest"));
    EXPECT_EQ(tokenizer.next().type, Type::GroupStart);
    EXPECT_TRUE(tokenizer.skipGroup());
    const RtfToken token = tokenizer.next();
    EXPECT_EQ(token.type, Type::Text);
    EXPECT_EQ(token.text, "rest");

    RtfTokenizer unterminated(asBytes("{{{{ no end"));
    unterminated.next();
    EXPECT_FALSE(unterminated.skipGroup());
    EXPECT_EQ(unterminated.next().type, Type::End);
}

TEST(RtfTokenizer, EndsCleanlyOnTruncatedEscapes)
{
    for (const std::string rtf : {"\\", "\\'", "\\'4", "\\'zz", "\\bin", "\\u-"}) {
        RtfTokenizer tokenizer(asBytes(rtf));
        int count = 0;
        while (tokenizer.next().type != Type::End)
            ASSERT_LT(++count, 10) << rtf;
    }
}
