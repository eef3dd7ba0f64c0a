#include <ProgressBar.h>

#include <algorithm>
#include <cstdio>

namespace quorvel_archive {

namespace {

constexpr int barWidth = 40;

} // namespace

ProgressBar::ProgressBar(std::FILE* stream, bool enabled)
    : stream(stream), enabled(enabled), start(std::chrono::steady_clock::now())
{
}

std::string ProgressBar::line(float fraction, std::chrono::seconds elapsed)
{
    const float clamped = std::clamp(fraction, 0.0f, 1.0f);
    // Truncated, as the window's bar shows it: 100 % only at the very end.
    const int percent = static_cast<int>(clamped * 100.0f);
    const int filled = static_cast<int>(clamped * barWidth);
    const long long seconds = elapsed.count();

    char tail[32];
    std::snprintf(tail, sizeof tail, "] %3d%%  %02lld:%02lld", percent, seconds / 60, seconds % 60);
    return "[" + std::string(static_cast<std::size_t>(filled), '#')
        + std::string(static_cast<std::size_t>(barWidth - filled), '.') + tail;
}

void ProgressBar::onProgress(float fraction)
{
    if (!enabled)
        return;
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::steady_clock::now() - start);
    const std::string text = line(fraction, elapsed);
    // 449 reports per read; a terminal needs only those that change the line.
    if (drawn && text == lastLine)
        return;
    std::fprintf(stream, "\r%s", text.c_str());
    std::fflush(stream);
    lastLine = text;
    drawn = true;
}

void ProgressBar::finish()
{
    if (!drawn)
        return;
    std::fputc('\n', stream);
    std::fflush(stream);
    drawn = false;
}

} // namespace quorvel_archive
