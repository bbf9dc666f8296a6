// Fields of the RTF reader: their results, form check boxes, and phonetic
// guides shown from their instructions.

#include "EquationField.h"
#include "Layout.h"
#include "RtfReader.h"
#include "TextEncoding.h"

namespace plainora::engine::rtf {

// \fftype1, or a FORMCHECKBOX instruction without \formfield: some
// writers save the field alone.
bool Field::isCheckBox() const
{
    if (checkBox)
        return true;
    const std::size_t start = instruction.find_first_not_of(' ');
    if (start == std::string::npos)
        return false;
    return equalsIgnoringCase(
        std::string_view(instruction).substr(start, instruction.find(' ', start) - start), "FORMCHECKBOX");
}

void RtfReader::fieldWord(Word word, std::int32_t p)
{
    GroupState& s = state();
    switch (word) {
    case Word::Field:
        if (!s.ownsField) {
            m_fields.emplace_back();
            s.ownsField = true;
        }
        return;
    case Word::Fldinst:
        s.dest = Destination::Ignore;
        s.instruction = true;
        return;
    case Word::Fldrslt:
        if (!m_fields.empty()) {
            Field& field = m_fields.back();
            if (field.isCheckBox()) {
                if (emitting() && !field.shown)
                    emit(checkBoxText(field.ticked()));
                field.shown = true;
                s.dest = Destination::Ignore;
            } else if (field.priv) {
                s.dest = Destination::Ignore;
            }
        }
        return;
    case Word::Fldpriv:
        if (!m_fields.empty())
            m_fields.back().priv = true;
        return;
    case Word::Formfield:
        s.dest = Destination::Ignore;
        s.instruction = false;
        return;
    case Word::Fftype:
        if (!m_fields.empty())
            m_fields.back().checkBox = p == 1;
        return;
    case Word::Ffres:
        if (!m_fields.empty())
            m_fields.back().result = p;
        return;
    case Word::Ffdefres:
        if (!m_fields.empty())
            m_fields.back().defaultResult = p;
        return;
    default:
        return;
    }
}

// The group that started the field has closed.
void RtfReader::closeField()
{
    if (m_fields.empty())
        return;
    const Field field = m_fields.back();
    m_fields.pop_back();
    if (field.isCheckBox() && !field.shown && emitting()) {
        emit(checkBoxText(field.ticked()));
    } else if (!field.resultShown && emitting()) {
        // A phonetic guide: Word draws it, so only its instruction says what it shows.
        if (const auto shown = equationFieldText(field.instruction))
            emit(*shown);
    }
}

} // namespace plainora::engine::rtf
