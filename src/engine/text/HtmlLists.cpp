// Lists of the HTML reader: <ol> and <ul> labels, and the labels Word
// writes itself (mso-list:Ignore), each ended by a TAB.

#include "engine/text/HtmlReader.h"

#include <charconv>

namespace plainora::engine::html {

void HtmlReader::startList(Element& element, const Tag& tag)
{
    const std::string type = tag.attribute("type");
    element.listFormat = tag.name != "ol" ? NumberFormat::Bullet
                         : type == "a"    ? NumberFormat::LowerLetter
                         : type == "A"    ? NumberFormat::UpperLetter
                         : type == "i"    ? NumberFormat::LowerRoman
                         : type == "I"    ? NumberFormat::UpperRoman
                                          : NumberFormat::Decimal;
    int start = 1;
    const std::string startText = tag.attribute("start");
    std::from_chars(startText.data(), startText.data() + startText.size(), start);
    element.listCounter = start;
}

// The label of the <li> just opened, from its innermost list.
void HtmlReader::startListItem(const Tag& tag)
{
    for (auto it = m_stack.rbegin(); it != m_stack.rend(); ++it) {
        if (!(it->flags & kList))
            continue;
        const std::string value = tag.attribute("value");
        int number = it->listCounter;
        if (!value.empty())
            std::from_chars(value.data(), value.data() + value.size(), number);
        it->listCounter = number + 1;
        if (it->listFormat == NumberFormat::Bullet)
            m_builder.append("\u2022\t");
        else
            m_builder.append(formatListNumber(number, it->listFormat) + ".\t");
        m_labelOnly = true;
        break;
    }
}

// Word writes the label, then spaces to the text: keep the label and a TAB.
void HtmlReader::endWordListLabel(const Element& element)
{
    std::string& paragraph = m_builder.paragraph();
    if (element.labelStart > paragraph.size())
        return;
    // Only spaces after the label go: a no-break space whose first
    // byte lies before it is not the label's.
    while (paragraph.size() > element.labelStart) {
        if (paragraph.back() == ' ')
            paragraph.pop_back();
        else if (paragraph.size() - element.labelStart >= 2 && paragraph.ends_with("\xC2\xA0"))
            paragraph.resize(paragraph.size() - 2);
        else
            break;
    }
    std::size_t start = element.labelStart;
    while (start < paragraph.size() && paragraph[start] == ' ')
        ++start;
    paragraph.erase(element.labelStart, start - element.labelStart);
    if (paragraph.size() > element.labelStart) {
        m_builder.append('\t');
        m_pendingSpace = false;
    }
}

} // namespace plainora::engine::html
