#include "engine/doc/ScatteredBytes.h"

#include <algorithm>
#include <cstring>

namespace plainora::engine::doc {

void ScatteredBytes::append(ByteView run)
{
    if (run.empty())
        return;
    if (!m_runs.empty() && m_runs.back().data() + m_runs.back().size() == run.data()) {
        m_runs.back() = ByteView(m_runs.back().data(), m_runs.back().size() + run.size());
    } else {
        m_runs.push_back(run);
        m_runStarts.push_back(m_size);
    }
    m_size += run.size();
}

std::size_t ScatteredBytes::runAt(std::uint64_t offset) const
{
    const auto next = std::upper_bound(m_runStarts.begin(), m_runStarts.end(), offset);
    return static_cast<std::size_t>(next - m_runStarts.begin()) - 1;
}

ByteView ScatteredBytes::read(std::uint64_t offset, std::uint64_t length,
                              std::vector<std::uint8_t>& scratch) const
{
    if (offset > m_size || length > m_size - offset || length == 0)
        return {};
    std::size_t run = runAt(offset);
    std::uint64_t inRun = offset - m_runStarts[run];
    if (length <= m_runs[run].size() - inRun)
        return m_runs[run].subspan(static_cast<std::size_t>(inRun), static_cast<std::size_t>(length));
    scratch.resize(static_cast<std::size_t>(length));
    std::uint64_t copied = 0;
    while (copied < length) {
        const std::uint64_t take = std::min<std::uint64_t>(m_runs[run].size() - inRun, length - copied);
        std::memcpy(scratch.data() + copied, m_runs[run].data() + inRun, static_cast<std::size_t>(take));
        copied += take;
        ++run;
        inRun = 0;
    }
    return scratch;
}

std::vector<std::uint8_t> ScatteredBytes::join() const
{
    std::vector<std::uint8_t> joined;
    joined.reserve(static_cast<std::size_t>(m_size));
    for (ByteView run : m_runs)
        joined.insert(joined.end(), run.begin(), run.end());
    return joined;
}

} // namespace plainora::engine::doc
