#include "engine/FieldStack.h"

#include "engine/EquationField.h"
#include "engine/Layout.h"
#include "engine/TextEncoding.h"

#include <algorithm>

namespace plainora::engine {

bool OpenField::instructionIs(std::string_view keyword) const
{
    const std::size_t start = instruction.find_first_not_of(' ');
    if (start == std::string::npos)
        return false;
    return equalsIgnoringCase(
        std::string_view(instruction).substr(start, instruction.find(' ', start) - start), keyword);
}

void FieldStack::begin()
{
    if (m_fields.size() < m_maxDepth)
        m_fields.emplace_back();
    else
        ++m_overflow;
}

void FieldStack::separate()
{
    if (OpenField* field = innermost())
        field->inResult = true;
}

std::optional<std::string> FieldStack::end()
{
    if (m_overflow > 0) {
        --m_overflow;
        return std::nullopt;
    }
    if (m_fields.empty())
        return std::nullopt; // an end without a begin
    const OpenField field = std::move(m_fields.back());
    m_fields.pop_back();
    if (field.checkBox && !field.checkBoxShown)
        return std::string(checkBoxText(field.form && field.form->ticked()));
    if (!field.resultShown)
        return equationFieldText(field.instruction);
    return std::nullopt;
}

OpenField* FieldStack::innermost()
{
    return m_overflow > 0 || m_fields.empty() ? nullptr : &m_fields.back();
}

bool FieldStack::showingResults() const
{
    return m_overflow == 0 && std::all_of(m_fields.begin(), m_fields.end(),
                                          [](const OpenField& field) { return field.inResult; });
}

bool FieldStack::inInstruction() const
{
    return m_overflow == 0 && !m_fields.empty() && !m_fields.back().inResult;
}

void FieldStack::keepInstruction(char32_t codePoint)
{
    OpenField* field = innermost();
    if (field && field->instruction.size() < fieldInstructionBytesKept(field->instruction))
        appendUtf8(field->instruction, codePoint);
}

void FieldStack::keepInstructionUtf16(char16_t unit)
{
    OpenField* field = innermost();
    if (!field || field->instruction.size() >= fieldInstructionBytesKept(field->instruction))
        return;
    field->instructionUnits.push(unit, [field](char32_t point) { appendUtf8(field->instruction, point); });
}

std::size_t FieldStack::instructionRoom() const
{
    if (m_overflow > 0 || m_fields.empty())
        return 0;
    const std::string& kept = m_fields.back().instruction;
    const std::size_t bound = fieldInstructionBytesKept(kept);
    return bound - std::min(bound, kept.size());
}

void FieldStack::appendInstruction(std::string_view utf8)
{
    if (OpenField* field = innermost())
        field->instruction.append(utf8);
}

void FieldStack::markResultShown()
{
    if (OpenField* field = innermost())
        field->resultShown = true;
}

std::optional<std::string> FieldStack::takeCheckBoxText()
{
    OpenField* field = innermost();
    if (!field || !field->checkBox || field->checkBoxShown)
        return std::nullopt;
    field->checkBoxShown = true;
    return std::string(checkBoxText(field->form && field->form->ticked()));
}

} // namespace plainora::engine
