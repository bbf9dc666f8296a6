#include "TextBudget.h"

#include <string>

namespace plainora::engine {

Status TextBudget::spend(std::size_t bytes)
{
    if (bytes > m_limit - m_spent) {
        m_spent = m_limit;
        return makeError(ErrorCode::TooLarge, "The document holds more than " + std::to_string(m_limit >> 20) +
                                                  " MiB of text, more than Plainora converts. Split it into "
                                                  "smaller documents in a word processor.");
    }
    m_spent += bytes;
    return {};
}

} // namespace plainora::engine
