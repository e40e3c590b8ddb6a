#include "cli/progressbar.h"

#include "platform/terminal.h"

#include <algorithm>
#include <string>

namespace {
constexpr int BarWidth = 40;
} // namespace

ProgressBar::ProgressBar(std::FILE* stream)
    : m_stream(stream)
    , m_drawing(platform::isTerminal(stream))
{
}

void ProgressBar::show(int percent)
{
    const int shown = std::clamp(percent, 0, 100);
    if (!m_drawing || shown == m_shown)
        return;
    m_shown = shown;
    const int filled = shown * BarWidth / 100;
    const std::string bar = std::string(static_cast<size_t>(filled), '#')
        + std::string(static_cast<size_t>(BarWidth - filled), '.');
    std::fprintf(m_stream, "\rhistory [%s] %3d%%", bar.c_str(), shown);
    std::fflush(m_stream);
}

void ProgressBar::end()
{
    if (m_shown != -1)
        std::fputc('\n', m_stream);
    m_shown = -1;
}
