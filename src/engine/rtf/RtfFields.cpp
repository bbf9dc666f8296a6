// Fields of the RTF reader: their results, form check boxes, and phonetic
// guides shown from their instructions.

#include "engine/rtf/RtfReader.h"

namespace plainora::engine::rtf {

namespace {

// \fftype1, or a FORMCHECKBOX instruction without \formfield: some
// writers save the field alone.
bool isCheckBox(const OpenField& field)
{
    return (field.form && field.form->isCheckBox()) || field.instructionIs("FORMCHECKBOX");
}

// The form data of the innermost field, made on its first control word.
FormFieldState* formOf(FieldStack& fields)
{
    OpenField* field = fields.innermost();
    if (!field)
        return nullptr;
    if (!field->form)
        field->form.emplace();
    return &*field->form;
}

} // namespace

void RtfReader::fieldWord(Word word, std::int32_t p)
{
    GroupState& s = state();
    switch (word) {
    case Word::Field:
        if (!s.ownsField) {
            m_fields.begin();
            s.ownsField = true;
        }
        return;
    case Word::Fldinst:
        s.dest = Destination::Ignore;
        s.instruction = true;
        return;
    case Word::Fldrslt:
        if (OpenField* field = m_fields.innermost()) {
            if (isCheckBox(*field)) {
                field->checkBox = true;
                const auto text = m_fields.takeCheckBoxText();
                if (text && emitting())
                    emit(*text);
                s.dest = Destination::Ignore;
            } else if (field->resultHidden) {
                s.dest = Destination::Ignore;
            }
        }
        return;
    case Word::Fldpriv:
        if (OpenField* field = m_fields.innermost())
            field->resultHidden = true;
        return;
    case Word::Formfield:
        s.dest = Destination::Ignore;
        s.instruction = false;
        return;
    case Word::Fftype:
        if (FormFieldState* form = formOf(m_fields))
            form->type = p;
        return;
    case Word::Ffres:
        if (FormFieldState* form = formOf(m_fields))
            form->result = p;
        return;
    case Word::Ffdefres:
        if (FormFieldState* form = formOf(m_fields))
            form->defaultResult = p;
        return;
    default:
        return;
    }
}

// The group that started the field has closed. A phonetic guide shows its
// text from the instruction: Word draws it without storing a result.
void RtfReader::closeField()
{
    if (OpenField* field = m_fields.innermost(); field && isCheckBox(*field))
        field->checkBox = true;
    const auto text = m_fields.end();
    if (text && emitting())
        emit(*text);
}

} // namespace plainora::engine::rtf
