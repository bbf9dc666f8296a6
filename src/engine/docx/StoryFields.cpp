// Fields and content controls of a StoryReader's story: results shown,
// codes hidden, form check boxes and drop-down lists, check-box controls.

#include "engine/EquationField.h"
#include "engine/ErrorText.h"
#include "engine/Layout.h"
#include "engine/Limits.h"
#include "engine/docx/StoryReaderTypes.h"
#include "engine/docx/StyleSheet.h"

#include <cstring>

namespace plainora::engine::docx {

void StoryReader::startFieldElement(Tag tag, Tag parent, const XmlAttributes& attributes)
{
    switch (tag) {
    case Tag::FldChar:
        fieldCharacter(attributes);
        break;
    case Tag::CheckBox:
        if (!m_story.fields.empty())
            m_story.fields.back().kind = Field::Kind::CheckBox;
        break;
    case Tag::DdList:
        if (!m_story.fields.empty())
            m_story.fields.back().kind = Field::Kind::DropDown;
        break;
    case Tag::Default:
        if (!m_story.fields.empty() && parent == Tag::CheckBox)
            m_story.fields.back().checkDefault = onOff(attributes.get(Ns::W, "val"));
        else if (!m_story.fields.empty() && parent == Tag::DdList)
            m_story.fields.back().entryDefault = intValue(attributes.get(Ns::W, "val"), 0);
        break;
    case Tag::Checked:
        if (!m_story.fields.empty() && parent == Tag::CheckBox)
            m_story.fields.back().checked = onOff(attributes.get(Ns::W, "val"));
        break;
    case Tag::Result:
        if (!m_story.fields.empty() && parent == Tag::DdList)
            m_story.fields.back().entryResult = intValue(attributes.get(Ns::W, "val"), 0);
        break;
    case Tag::ListEntry:
        if (!m_story.fields.empty() && parent == Tag::DdList && m_story.fields.back().entries.size() < 256)
            m_story.fields.back().entries.emplace_back(attrOr(attributes, "val"));
        break;
    case Tag::Sdt:
        m_controls.push_back(ContentControl{});
        break;
    case Tag::SdtContent:
        if (!m_controls.empty() && m_controls.back().checkBox) {
            // The content is the box's glyph; show its state instead.
            if (runVisible()) {
                const std::string_view label = checkBoxText(m_controls.back().checked);
                if (m_story.paragraphs.empty())
                    m_pendingPrefix += label;
                else
                    appendText(label);
            }
            m_controls.back().suppressing = true;
            ++m_suppressed;
        }
        break;
    default:
        break;
    }
}

void StoryReader::endFieldElement(Tag tag)
{
    switch (tag) {
    case Tag::Sdt:
        if (!m_controls.empty())
            m_controls.pop_back();
        break;
    case Tag::SdtContent:
        if (!m_controls.empty() && m_controls.back().suppressing) {
            m_controls.back().suppressing = false;
            --m_suppressed;
        }
        break;
    default:
        break;
    }
}

// A w14 property of the content control being read.
void StoryReader::contentControlElement(std::string_view local, const XmlAttributes& attributes)
{
    if (!m_controls.empty() && local == "checkbox") {
        m_controls.back().checkBox = true;
    } else if (!m_controls.empty() && local == "checked") {
        const char* value = attributes.get(Ns::W14, "val");
        m_controls.back().checked =
            value && (std::strcmp(value, "1") == 0 || std::strcmp(value, "true") == 0);
    }
}

void StoryReader::fieldCharacter(const XmlAttributes& attributes)
{
    const std::string_view type = attrOr(attributes, "fldCharType");
    if (type == "begin") {
        if (m_story.fields.size() >= static_cast<std::size_t>(limits::kMaxFieldNesting)) {
            fail(nestedTooDeep("fields", limits::kMaxFieldNesting));
            return;
        }
        m_story.fields.push_back(Field{});
        ++m_story.codeFields;
    } else if (type == "separate") {
        if (!m_story.fields.empty() && !m_story.fields.back().inResult) {
            m_story.fields.back().inResult = true;
            --m_story.codeFields;
        }
    } else if (type == "end") {
        if (m_story.fields.empty())
            return;
        Field field = std::move(m_story.fields.back());
        m_story.fields.pop_back();
        if (!field.inResult)
            --m_story.codeFields;
        if (!runVisible())
            return;
        // Form fields without a result show their state ([E1] 17.16.7, 17.16.9).
        if (field.kind == Field::Kind::CheckBox) {
            appendText(checkBoxText(field.checked.value_or(field.checkDefault.value_or(false))));
        } else if (field.kind == Field::Kind::DropDown && !field.entries.empty()) {
            const int index = field.entryResult.value_or(field.entryDefault);
            if (index >= 0 && static_cast<std::size_t>(index) < field.entries.size())
                appendText(field.entries[static_cast<std::size_t>(index)]);
        } else if (!field.resultShown) {
            // A phonetic guide: Word draws it, so only its instruction says what it shows.
            if (const auto shown = equationFieldText(field.instruction))
                appendText(*shown);
        }
    }
}

} // namespace plainora::engine::docx
