#include "cli/ProgressBar.h"

#include <algorithm>
#include <cerrno>
#include <sys/ioctl.h>
#include <unistd.h>

namespace plainora::cli {

ProgressBar::ProgressBar(int fd, bool enabled) : m_fd(fd), m_enabled(enabled)
{
    winsize size{};
    if (m_enabled && ::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        m_width = size.ws_col;
}

std::string ProgressBar::render(std::size_t finished, std::size_t total, std::size_t width)
{
    finished = std::min(finished, total);
    const unsigned percent = total == 0 ? 100 : static_cast<unsigned>(finished * 100 / total);
    // Fixed-width counts, so that the bar does not jump as they grow.
    const auto padded = [](std::size_t value, std::size_t width) {
        std::string text = std::to_string(value);
        return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
    };
    const std::string totalText = std::to_string(total);
    const std::string counts =
        " " + padded(percent, 3) + "% " + padded(finished, totalText.size()) + "/" + totalText;
    // Keep the last column free: writing it makes some terminals wrap.
    const std::size_t room = width > counts.size() + 3 ? width - counts.size() - 3 : 0;
    if (room < 4)
        return counts.substr(1, width > 0 ? width - 1 : 0);
    const std::size_t filled = total == 0 ? room : room * finished / total;
    return "[" + std::string(filled, '#') + std::string(room - filled, '-') + "]" + counts;
}

void ProgressBar::update(std::size_t finished, std::size_t total)
{
    if (!m_enabled)
        return;
    const std::string line = render(finished, total, m_width);
    if (line != m_shown) {
        write("\r" + line + "\x1b[K");
        m_shown = line;
    }
}

void ProgressBar::clear()
{
    if (!m_enabled || m_shown.empty())
        return;
    write("\r\x1b[K");
    m_shown.clear();
}

void ProgressBar::write(const std::string& text)
{
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return; // a bar that cannot be drawn is not worth failing the run
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

} // namespace plainora::cli
