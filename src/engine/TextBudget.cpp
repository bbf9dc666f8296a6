#include "engine/TextBudget.h"

#include "engine/ErrorText.h"

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
    return textTooLarge(m_limit);
}

} // namespace plainora::engine
