#pragma once

#include <cstdio>

// A one-line bar with the percentage on a terminal; nothing at all when the
// stream is not one, so that logs and pipes stay clean.
class ProgressBar
{
public:
    explicit ProgressBar(std::FILE* stream);

    // The window's percentage: 101 once the last record is in.
    void show(int percent);
    // Ends the bar's line, if one was drawn.
    void end();

private:
    std::FILE* m_stream;
    bool m_drawing;
    int m_shown = -1; // -1: no bar on the line
};
