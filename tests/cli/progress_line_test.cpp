// The progress line's figures, and that nothing is drawn where standard error is not a terminal.
#include "cli/progress_line.h"
#include "cli_runner.h"

#include <gtest/gtest.h>

namespace kelvara::test {
namespace {

using cli::progressLine;

TEST(ProgressLine, ShowsPercentBytesFilesSpeedAndTimeLeft) {
    EXPECT_EQ(progressLine({50'000'000, 200'000'000, 0, 0, 1.0}), " 25%  50.0 MB of 200.0 MB  50.0 MB/s  0:03 left");
    EXPECT_EQ(progressLine({120'000'000, 300'000'000, 12, 64, 2.0}),
              " 40%  120.0 MB of 300.0 MB  12/64 files  60.0 MB/s  0:03 left");
    EXPECT_EQ(progressLine({1'000'000, 4'000'000'000, 0, 0, 1.0}), "  0%  1.0 MB of 4000.0 MB  1.0 MB/s  1:06:39 left");
    EXPECT_EQ(progressLine({5'000'000, 10'000'000, 0, 0, 0.1}), " 50%  5.0 MB of 10.0 MB") << "no speed yet";
    EXPECT_EQ(progressLine({10'000'000, 10'000'000, 3, 3, 2.0}), "100%  10.0 MB of 10.0 MB  3/3 files  5.0 MB/s");
    EXPECT_EQ(progressLine({7'000'000, 0, 0, 0, 0.0}), "7.0 MB") << "a total that is not known";
}

TEST(ProgressLine, IsNotDrawnWhereStandardErrorIsNoTerminal) {
    TempDir dir;
    writeFile(dir / "big.bin", patternBytes(20 * 1024 * 1024));
    writeFile(dir / "tree/a", "a");
    CliRunner cli{dir.path()};
    cli.environment["KELVARA_PASSWORD"] = "geheim und lang"; // no warning about a short one either
    EXPECT_EQ(cli.run({"encrypt", "big.bin"}).err, "");
    EXPECT_EQ(cli.run({"encrypt-dir", "tree", "t", "-j", "2"}).err, "");
    const CliResult badJobs = cli.run({"encrypt-dir", "tree", "t2", "-j", "0"});
    EXPECT_EQ(badJobs.status, 1);
    EXPECT_NE(badJobs.err.find("number from 1 to 256"), std::string::npos);
}

} // namespace
} // namespace kelvara::test
