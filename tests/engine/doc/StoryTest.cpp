#include "engine/PlainTextWriter.h"
#include "engine/doc/DocumentText.h"
#include "engine/doc/Stories.h"

#include <gtest/gtest.h>

using namespace plainora::engine;
using namespace plainora::engine::doc;

namespace {

// Renders 8-bit story text (one piece, no properties) as the body.
std::string render(const std::string& story, StoryContext context = {})
{
    const ByteView bytes = asBytes(story);
    const PieceTable pieces = PieceTable::single(0, static_cast<std::uint32_t>(story.size()), true);
    DocumentText::Sources sources;
    sources.wordDocument = bytes;
    sources.pieces = &pieces;
    sources.byteMap = &DocumentText::compressedByteMap();
    sources.readProperties = false;
    auto text = DocumentText::build(sources);
    EXPECT_TRUE(text.ok());
    context.text = &text.value();
    Document document;
    document.body = readStory(context, 0, text.value().size());
    return renderPlainText(document);
}

} // namespace

TEST(Story, ShowsFieldResultsOnlyAlsoWhenNested)
{
    // IF with a nested field in its instruction and another in its result.
    EXPECT_EQ(render("A \x13 IF \x13 PAGE \x14"
                     "1\x15 = 1 \"x\" \x14yes \x13 PAGE \x14"
                     "7\x15!\x15 B\r"),
              "A yes 7! B\n");
    // A field without a separator shows nothing.
    EXPECT_EQ(render("x\x13 TC \"entry\" \x15y\r"), "xy\n");
    // Unbalanced field characters neither crash nor swallow the rest.
    EXPECT_EQ(render("\x15\x15 lone ends\r\x14sep\r"), " lone ends\nsep\n");
}

TEST(Story, TurnsSpecialCharactersIntoTheLayout)
{
    EXPECT_EQ(render("line\x0Bnext\x0E"
                     "col\tTab non\x1E"
                     "breaking op\x1Ftional\xA0"
                     "nbsp\r"),
              "line\nnext\ncol\tTab non-breaking optional\xC2\xA0nbsp\n");
    // 8-bit text maps the Windows-1252 punctuation block ([MS-DOC] 2.9.73).
    EXPECT_EQ(render("\x93q\x94 \x85 \x96\r"), "\xE2\x80\x9Cq\xE2\x80\x9D \xE2\x80\xA6 \xE2\x80\x93\n");
    // Control characters such as anchors leave nothing.
    EXPECT_EQ(render("a\x01"
                     "b\x08"
                     "c\x05\r"),
              "abc\n");
}

TEST(Story, ReplacesNoteReferencesWithTheirMarks)
{
    StoryContext context;
    context.noteMarks[4] = "[1]";
    EXPECT_EQ(render("Text\x02 more\r", context), "Text[1] more\n");
}
