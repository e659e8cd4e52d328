#pragma once

// A progress bar on standard error for long imports and exports, shown only on a terminal.

#include <cstddef>
#include <cstdio>

namespace brevicor::library {

// Imports and exports of more rows than this show progress.
inline constexpr std::size_t kProgressThreshold = 2000;

bool IsTerminal(std::FILE* stream);

class ProgressBar {
public:
    // Shows nothing unless `stream` is a terminal and there are more than kProgressThreshold
    // rows.
    ProgressBar(std::FILE* stream, const char* verb, std::size_t total);
    // Clears the bar, so that the summary line stands alone.
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void Advance();

private:
    void Draw();

    std::FILE* m_stream;
    const char* m_verb;
    std::size_t m_total;
    std::size_t m_done = 0;
    std::size_t m_drawnPercent = 101;
    bool m_shown;
};

} // namespace brevicor::library
