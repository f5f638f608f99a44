// The text of kelvara-cli's progress line: percent, bytes done of total, speed and time left, and for folder
// runs the files done of total.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelvara::cli {

struct ProgressFigures {
    std::uint64_t bytesDone = 0;
    std::uint64_t bytes = 0; // 0 when unknown
    std::size_t filesDone = 0;
    std::size_t files = 0; // 0 for a single file
    double seconds = 0;    // since the work began
};

// One line without a line end, e.g. " 42%  120.0 MB of 285.6 MB  12/64 files  85.3 MB/s  0:02 left".
// Speed and time left appear once a speed can be told.
std::string progressLine(const ProgressFigures& figures);

} // namespace kelvara::cli
