#pragma once
// The stories a stream reader is inside at one moment: the body, and the
// header, note, comment or text box that opened within it (a note opens in
// the middle of a paragraph, a text box in a note). Each story builds its own
// blocks; when it closes they land where the layout wants them. State holds
// what the reader tracks per story (paragraph, table and list state).

#include "engine/BlockBuilder.h"
#include "engine/Document.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace plainora::engine {

enum class StoryKind { Body, HeaderFooter, Footnote, Endnote, Comment, TextBox };

template <typename State> class StoryStack
{
public:
    struct Story
    {
        Story(StoryKind kind, bool kept, std::string mark) : kind(kind), kept(kept), mark(std::move(mark)) {}
        StoryKind kind;
        bool kept;        // false: content the options leave out, collected nowhere
        std::string mark; // notes and comments
        BlockBuilder builder;
        int tableDepth = 0;
        State state{};
    };

    explicit StoryStack(Document& document) : m_document(document)
    {
        m_stories.push_back(std::make_unique<Story>(StoryKind::Body, true, std::string()));
    }

    Story& current() { return *m_stories.back(); }
    StoryKind kind() const { return m_stories.back()->kind; }
    std::size_t depth() const { return m_stories.size(); }

    // A story within a story that is left out is left out too.
    void open(StoryKind kind, bool kept, std::string mark = {})
    {
        kept = kept && current().kept;
        m_stories.push_back(std::make_unique<Story>(kind, kept, std::move(mark)));
    }

    // Closes the innermost story (never the body) and lands its blocks:
    // headers and footers, notes and comments in the document, a text box's
    // after the paragraph of the story that holds it.
    void close()
    {
        if (m_stories.size() < 2)
            return;
        std::unique_ptr<Story> closed = std::move(m_stories.back());
        m_stories.pop_back();
        if (!closed->kept)
            return;
        std::vector<Block> blocks = closed->builder.finish(false);
        switch (closed->kind) {
        case StoryKind::HeaderFooter:
            if (!blocks.empty())
                m_document.headersFooters.push_back(std::move(blocks));
            break;
        case StoryKind::Footnote:
            m_document.footnotes.push_back({closed->mark, std::move(blocks)});
            break;
        case StoryKind::Endnote:
            m_document.endnotes.push_back({closed->mark, std::move(blocks)});
            break;
        case StoryKind::Comment:
            m_document.comments.push_back({closed->mark, std::move(blocks)});
            break;
        case StoryKind::TextBox:
            if (!blocks.empty())
                current().builder.addAnchored(std::move(blocks));
            break;
        case StoryKind::Body:
            break;
        }
    }

    // Closes whatever is still open and puts the body into the document.
    void finish()
    {
        while (m_stories.size() > 1)
            close();
        m_document.body = current().builder.finish(false);
    }

private:
    Document& m_document;
    std::vector<std::unique_ptr<Story>> m_stories; // the body first
};

} // namespace plainora::engine
