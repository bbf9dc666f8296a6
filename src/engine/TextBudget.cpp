#include "TextBudget.h"

#include <string>

namespace plainora::engine {

Status TextBudget::spend(std::size_t bytes)
{
    if (m_exceeded || bytes > m_limit - m_spent) {
        m_exceeded = true;
        m_spent = m_limit;
        return status();
    }
    m_spent += bytes;
    return {};
}

Status TextBudget::status() const
{
    if (!m_exceeded)
        return {};
    return makeError(ErrorCode::TooLarge,
                     "The document holds more than " + std::to_string(m_limit >> 20) +
                         " MiB of text, more than Plainora converts. Split it into smaller "
                         "documents in a word processor.");
}

} // namespace plainora::engine
