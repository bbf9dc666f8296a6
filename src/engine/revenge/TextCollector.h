#pragma once
// The one text interface every librevenge-family library talks to: it turns
// their callbacks (paragraphs, spans, lists, tables, notes, frames) into the
// engine's document model, so these formats share every other format's
// layout. Text is spent from the document's budget; once the budget is gone
// the collector keeps nothing more and the reader fails the document.

#include "engine/Document.h"
#include "engine/Options.h"
#include "engine/StoryStack.h"
#include "engine/TextBudget.h"

#include <librevenge/librevenge.h>
#include <map>
#include <string>
#include <vector>

namespace plainora::engine::revenge {

class TextCollector : public librevenge::RVNGTextInterface
{
public:
    TextCollector(const ReadOptions& options, TextBudget& budget);
    ~TextCollector() override;

    // Ends whatever the library left open and hands the document over.
    Document finish();
    // True once the library ended the document it started.
    bool documentEnded() const { return m_documentEnded; }

    void setDocumentMetaData(const librevenge::RVNGPropertyList&) override {}
    void startDocument(const librevenge::RVNGPropertyList&) override {}
    void endDocument() override { m_documentEnded = true; }
    void definePageStyle(const librevenge::RVNGPropertyList&) override {}
    void defineEmbeddedFont(const librevenge::RVNGPropertyList&) override {}
    void openPageSpan(const librevenge::RVNGPropertyList&) override {}
    void closePageSpan() override {}
    void openHeader(const librevenge::RVNGPropertyList&) override;
    void closeHeader() override;
    void openFooter(const librevenge::RVNGPropertyList&) override;
    void closeFooter() override;

    void defineParagraphStyle(const librevenge::RVNGPropertyList&) override {}
    void openParagraph(const librevenge::RVNGPropertyList&) override;
    void closeParagraph() override;
    void defineCharacterStyle(const librevenge::RVNGPropertyList&) override {}
    void openSpan(const librevenge::RVNGPropertyList&) override {}
    void closeSpan() override {}
    void openLink(const librevenge::RVNGPropertyList&) override {}
    void closeLink() override {}
    void defineSectionStyle(const librevenge::RVNGPropertyList&) override {}
    void openSection(const librevenge::RVNGPropertyList&) override {}
    void closeSection() override {}

    void insertTab() override;
    void insertSpace() override;
    void insertText(const librevenge::RVNGString& text) override;
    void insertLineBreak() override;
    void insertField(const librevenge::RVNGPropertyList&) override;

    void openOrderedListLevel(const librevenge::RVNGPropertyList& properties) override;
    void openUnorderedListLevel(const librevenge::RVNGPropertyList& properties) override;
    void closeOrderedListLevel() override { closeListLevel(); }
    void closeUnorderedListLevel() override { closeListLevel(); }
    void openListElement(const librevenge::RVNGPropertyList& properties) override;
    void closeListElement() override;

    void openFootnote(const librevenge::RVNGPropertyList& properties) override;
    void closeFootnote() override;
    void openEndnote(const librevenge::RVNGPropertyList& properties) override;
    void closeEndnote() override;
    void openComment(const librevenge::RVNGPropertyList&) override;
    void closeComment() override;
    void openTextBox(const librevenge::RVNGPropertyList&) override;
    void closeTextBox() override;

    void openTable(const librevenge::RVNGPropertyList&) override;
    void openTableRow(const librevenge::RVNGPropertyList&) override;
    void closeTableRow() override;
    void openTableCell(const librevenge::RVNGPropertyList&) override;
    void closeTableCell() override;
    void insertCoveredTableCell(const librevenge::RVNGPropertyList&) override {}
    void closeTable() override;

    void openFrame(const librevenge::RVNGPropertyList&) override {}
    void closeFrame() override {}
    void insertBinaryObject(const librevenge::RVNGPropertyList&) override {}
    void insertEquation(const librevenge::RVNGPropertyList&) override {}
    void openGroup(const librevenge::RVNGPropertyList&) override {}
    void closeGroup() override {}
    void defineGraphicStyle(const librevenge::RVNGPropertyList&) override {}
    void drawRectangle(const librevenge::RVNGPropertyList&) override {}
    void drawEllipse(const librevenge::RVNGPropertyList&) override {}
    void drawPolygon(const librevenge::RVNGPropertyList&) override {}
    void drawPolyline(const librevenge::RVNGPropertyList&) override {}
    void drawPath(const librevenge::RVNGPropertyList&) override {}
    void drawConnector(const librevenge::RVNGPropertyList&) override {}

private:
    struct StoryState
    {
        bool inParagraph = false;
    };
    using Stories = StoryStack<StoryState>;

    struct ListLevel
    {
        bool ordered = false;
        std::string format; // style:num-format: "1", "a", "A", "i", "I", "" (none)
        std::string prefix, suffix, bullet;
        int displayLevels = 1;
        int start = 1;
    };

    Stories::Story& story() { return m_stories.current(); }
    // The mark the library gives, else the next number of count.
    void openNote(StoryKind kind, const librevenge::RVNGPropertyList& properties, int& count);
    void closeStory(StoryKind kind);
    void append(std::string_view text);
    void endParagraph();
    void openListLevel(const librevenge::RVNGPropertyList& properties, bool ordered);
    void closeListLevel();
    std::string listLabel();

    const ReadOptions& m_options;
    TextBudget& m_budget;
    Document m_document;
    Stories m_stories{m_document};
    std::vector<ListLevel> m_listLevels;
    // Numbers reached per list and level, so that a list the library closes
    // and opens again (same list id) goes on counting.
    std::map<std::pair<int, int>, int> m_counters;
    std::vector<int> m_listIds;
    int m_nextListId = 1 << 20;
    int m_footnotes = 0;
    int m_endnotes = 0;
    bool m_documentEnded = false;
};

} // namespace plainora::engine::revenge
