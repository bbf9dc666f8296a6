// The engine's failure sentences: where a fault lies is told the same way in
// every sentence, and every sentence is whole.

#include "engine/ErrorText.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace plainora::engine;

TEST(ErrorText, APlaceIsToldByPartAndOffsetWhenKnown)
{
    const struct
    {
        Place place;
        std::string expected;
    } cases[] = {
        {{}, ""},
        {{"word/document.xml"}, "part word/document.xml"},
        {{"WordDocument", 512}, "part WordDocument at byte 512"},
        {{{}, 0}, "at byte 0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(describePlace(c.place), c.expected);
}

TEST(ErrorText, TheSentencesNameThePlaceAndTheKindOfDocument)
{
    const struct
    {
        Error error;
        ErrorCode code;
        std::string expected;
    } cases[] = {
        {damaged("its piece table is missing"), ErrorCode::Damaged,
         "The document is damaged: its piece table is missing. Open it in a word processor, save it again "
         "and "
         "convert the copy."},
        {damaged("is not well-formed XML", {"/word/document.xml", 40}, "OpenDocument file"),
         ErrorCode::Damaged,
         "The OpenDocument file is damaged: part /word/document.xml at byte 40 is not well-formed XML. Open "
         "it in a "
         "word processor, save it again and convert the copy."},
        {hostile(ErrorCode::TooLarge, "nests its XML elements too deep", {"/word/styles.xml"}),
         ErrorCode::TooLarge,
         "The document is damaged or hostile: part /word/styles.xml nests its XML elements too deep."},
        {tooLarge("expands too far"), ErrorCode::TooLarge,
         "The document is too large or hostile: expands too far."},
        {passwordProtected("WordPerfect document"), ErrorCode::PasswordProtected,
         "The WordPerfect document is password-protected. Remove the password in a word processor and "
         "convert it "
         "again."},
        {looksLike("a PDF document"), ErrorCode::NotAWordDocument,
         "The file is not a Word document: it looks like a PDF document."},
        {aboutFile("a.doc", emptyFile()), ErrorCode::NotAWordDocument,
         "\"a.doc\": The file is empty, so it is not a Word document."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.error.code, c.code) << c.expected;
        EXPECT_EQ(c.error.description, c.expected);
    }
}
