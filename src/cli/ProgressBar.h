#pragma once
// The progress bar on standard error, drawn only when it is a terminal so
// that logs and pipes get clean lines.

#include <cstddef>
#include <string>

namespace plainora::cli {

class ProgressBar
{
public:
    // fd is the terminal's descriptor; enabled false draws nothing.
    ProgressBar(int fd, bool enabled);

    // Redraws the bar when what it shows has changed.
    void update(std::size_t finished, std::size_t total);
    // Removes the bar from its line, so that a message can be printed there;
    // the next update draws it again.
    void clear();

    bool enabled() const { return m_enabled; }

    // "[#####-----]  50% 5/10", exactly width columns at most.
    static std::string render(std::size_t finished, std::size_t total, std::size_t width);

private:
    void write(const std::string& text);

    int m_fd;
    bool m_enabled;
    std::size_t m_width = 80;
    std::string m_shown; // what the line shows now; empty when cleared
};

} // namespace plainora::cli
