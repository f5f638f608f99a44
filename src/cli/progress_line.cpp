// Formatting of the progress line: decimal megabytes as file managers show them, time as m:ss or h:mm:ss.
#include "cli/progress_line.h"

#include <cmath>
#include <cstdio>

namespace kelvara::cli {
namespace {

std::string megabytes(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
    return text;
}

std::string duration(double seconds) {
    const auto total = static_cast<long long>(std::ceil(seconds));
    char text[32];
    if (total >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60, total % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", total / 60, total % 60);
    return text;
}

} // namespace

std::string progressLine(const ProgressFigures& figures) {
    std::string line;
    if (figures.bytes > 0) {
        const std::uint64_t done = std::min(figures.bytesDone, figures.bytes);
        char percent[8];
        std::snprintf(percent, sizeof percent, "%3u%%", static_cast<unsigned>(done * 100 / figures.bytes));
        line = percent;
        line += "  " + megabytes(done) + " of " + megabytes(figures.bytes);
    } else {
        line = megabytes(figures.bytesDone);
    }
    if (figures.files > 0)
        line += "  " + std::to_string(figures.filesDone) + "/" + std::to_string(figures.files) + " files";
    // A speed needs a moment of measuring; before that it would jump around.
    if (figures.seconds >= 0.5 && figures.bytesDone > 0) {
        const double rate = static_cast<double>(figures.bytesDone) / figures.seconds;
        char speed[32];
        std::snprintf(speed, sizeof speed, "%.1f MB/s", rate / 1e6);
        line += "  ";
        line += speed;
        if (figures.bytes > figures.bytesDone)
            line += "  " + duration(static_cast<double>(figures.bytes - figures.bytesDone) / rate) + " left";
    }
    return line;
}

} // namespace kelvara::cli
