// Helpers shared by the commands: the user interface and the checks of input and output paths.
#pragma once

#include "cli/command.h"
#include "cli/terminal_ui.h"
#include "operations/file_routines.h"

#include <filesystem>
#include <optional>
#include <string>

namespace kelvara::cli {

// Progress on standard error only while it is a terminal and not quiet; questions only when interactive.
TerminalUserInterface makeUserInterface(Streams& streams, const Invocation& invocation);

// Success is told with --verbose; an existing output is replaced with --force.
Report reportOf(const Invocation& invocation);
Existing existingOf(const Invocation& invocation);

// Refuses an output that exists and is not a regular file (links followed), and an existing output unless
// it may be replaced.
std::optional<int> refuseOutput(const std::filesystem::path& output, Existing existing, Streams& streams);

// Refuses "-o -" while standard output is a terminal: the result would be written over the screen.
std::optional<int> refuseTerminalOutput(Streams& streams);

} // namespace kelvara::cli
