// Lists of the RTF reader: the list labels written in \listtext, and the
// separator after them that the list table's \levelfollow asks for.

#include "engine/Limits.h"
#include "engine/rtf/RtfReader.h"

namespace plainora::engine::rtf {

void RtfReader::listWord(Word word, std::int32_t p)
{
    GroupState& s = state();
    switch (word) {
    case Word::ListText:
        if (!s.listLabel) {
            s.listLabel = true;
            s.labelStart = static_cast<std::uint32_t>(builder().paragraph().size());
        }
        return;
    case Word::ListTable:
    case Word::ListOverrideTable:
        s.dest = Destination::Ignore;
        s.listTable = word == Word::ListTable ? ListTableKind::Lists : ListTableKind::Overrides;
        return;
    default:
        listTableWord(word, p);
        return;
    }
}

void RtfReader::listTableWord(Word word, std::int32_t p)
{
    GroupState& s = state();
    const auto registerOverride = [this] {
        if (m_overrideListId >= 0 && m_overrideLs >= 0 && m_listOverrides.size() < limits::kMaxRtfLists)
            m_listOverrides[m_overrideLs] = m_overrideListId;
    };
    switch (s.listTable) {
    case ListTableKind::None: // paragraph properties
        if (word == Word::Ls)
            s.ls = std::max<std::int32_t>(p, -1);
        else if (word == Word::Ilvl)
            s.ilvl = std::clamp<std::int32_t>(p, 0, kListLevels - 1);
        return;
    case ListTableKind::Lists:
        if (word == Word::List) {
            if (m_lists.size() < limits::kMaxRtfLists)
                m_lists.emplace_back();
            else
                s.listTable = ListTableKind::None; // further lists are not read
        } else if (word == Word::ListLevel && !m_lists.empty()) {
            s.listLevel = true;
            if (m_lists.back().follow.size() < kListLevels)
                m_lists.back().follow.push_back(FollowTab);
        } else if (word == Word::LevelFollow && s.listLevel && !m_lists.empty() &&
                   !m_lists.back().follow.empty()) {
            m_lists.back().follow.back() = std::clamp<std::int32_t>(p, FollowTab, FollowNothing);
        } else if (word == Word::ListId && !s.listLevel && !m_lists.empty()) {
            m_lists.back().id = p;
        }
        return;
    case ListTableKind::Overrides:
        if (word == Word::ListOverride) {
            m_overrideListId = -1;
            m_overrideLs = -1;
        } else if (word == Word::ListId) {
            m_overrideListId = p;
            registerOverride();
        } else if (word == Word::Ls) {
            m_overrideLs = p;
            registerOverride();
        }
        return;
    }
}

// The \listtext group has closed: its label is in the paragraph.
void RtfReader::closeListLabel(const GroupState& closed)
{
    // Writers put stray spaces before the label ("\\plain  1.\\tab").
    std::string& paragraph = m_stories[closed.story].builder.paragraph();
    std::size_t end = closed.labelStart;
    while (end < paragraph.size() && paragraph[end] == ' ')
        ++end;
    if (closed.labelStart < paragraph.size())
        paragraph.erase(closed.labelStart, end - closed.labelStart);
    // LibreOffice ends every label with \tab, whatever its level's
    // \levelfollow; the list, known by the paragraph's end, decides.
    m_labelTabStory = -1;
    if (paragraph.size() > closed.labelStart && paragraph.back() == '\t') {
        m_labelTabStory = closed.story;
        m_labelTabPos = paragraph.size() - 1;
    }
}

// The \levelfollow of the paragraph's list level: \lsN names an override,
// the override its list, \ilvlN the level. -1 when any link is missing.
int RtfReader::levelFollow(const GroupState& s) const
{
    if (s.ls < 0)
        return -1;
    const auto link = m_listOverrides.find(s.ls);
    if (link == m_listOverrides.end())
        return -1;
    const auto list = std::find_if(m_lists.begin(), m_lists.end(),
                                   [&](const ListDefinition& l) { return l.id == link->second; });
    if (list == m_lists.end() || s.ilvl >= static_cast<int>(list->follow.size()))
        return -1;
    return list->follow[static_cast<std::size_t>(s.ilvl)];
}

// At the end of a paragraph, the tab that ended its list label becomes the
// separator its level asks for.
void RtfReader::applyLabelFollow()
{
    if (m_labelTabStory < 0 || m_labelTabStory != state().story)
        return;
    m_labelTabStory = -1;
    std::string& paragraph = builder().paragraph();
    if (m_labelTabPos >= paragraph.size() || paragraph[m_labelTabPos] != '\t')
        return;
    switch (levelFollow(state())) {
    case FollowSpace:
        paragraph[m_labelTabPos] = ' ';
        break;
    case FollowNothing:
        paragraph.erase(m_labelTabPos, 1);
        break;
    default: // a tab, or a list not known: the label as written
        break;
    }
}

} // namespace plainora::engine::rtf
