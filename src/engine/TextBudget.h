#pragma once
// The one account of text a reader keeps in memory. Every reader spends from
// it where it appends text to the model, so the largest text a document may
// hold (limits::kMaxTextBytes) is enforced in one place and reads the same
// whatever the format.

#include "engine/Error.h"
#include "engine/Limits.h"

#include <cstddef>
#include <cstdint>

namespace plainora::engine {

class TextBudget
{
public:
    explicit TextBudget(std::uint64_t limit = limits::kMaxTextBytes) : m_limit(limit) {}

    // Accounts for bytes about to be kept; fails with TooLarge once the
    // document's text would pass the limit (and keeps failing after that).
    Status spend(std::size_t bytes);
    // For readers that spend in many places and look once per step: failed
    // once any spend failed.
    Status status() const;
    std::uint64_t spent() const { return m_spent; }
    std::uint64_t limit() const { return m_limit; }

private:
    std::uint64_t m_limit;
    std::uint64_t m_spent = 0;
    bool m_exceeded = false;
};

} // namespace plainora::engine
