#include "tools/library/progress_bar.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace brevicor::library {

namespace {
constexpr std::size_t kWidth = 30;
}

bool IsTerminal(std::FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

ProgressBar::ProgressBar(std::FILE* stream, const char* verb, std::size_t total)
    : m_stream(stream), m_verb(verb), m_total(total),
      m_shown(total > kProgressThreshold && IsTerminal(stream)) {
    if (m_shown) {
        Draw();
    }
}

ProgressBar::~ProgressBar() {
    if (m_shown) {
        std::fprintf(m_stream, "\r%*s\r", static_cast<int>(kWidth + 40), "");
        std::fflush(m_stream);
    }
}

void ProgressBar::Advance() {
    ++m_done;
    if (m_shown && m_done * 100 / m_total != m_drawnPercent) {
        Draw();
    }
}

void ProgressBar::Draw() {
    m_drawnPercent = m_done * 100 / m_total;
    const std::size_t filled = m_done * kWidth / m_total;
    char bar[kWidth + 1];
    for (std::size_t i = 0; i < kWidth; ++i) {
        bar[i] = i < filled ? '#' : '.';
    }
    bar[kWidth] = '\0';
    std::fprintf(m_stream, "\r%s [%s] %zu of %zu", m_verb, bar, m_done, m_total);
    std::fflush(m_stream);
}

} // namespace brevicor::library
