// The platform's console for kelvara-cli: arguments and environment as UTF-8, the standard streams, and
// questions on the user's terminal (console_posix.cpp: /dev/tty and termios; console_windows.cpp: the console).
#pragma once

#include "operations/file_facts.h"
#include "text/secret_text.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara::cli {

// The program's arguments after its own name, as UTF-8 (on Windows taken from the wide command line, since
// argv holds them in the ANSI code page).
std::vector<std::string> programArguments(int argc, char** argv);

// Prepares the standard streams: on Windows UTF-8 output on the console, escape sequences for the progress
// line, and standard input and output as bytes without line-end translation. On POSIX nothing to do.
void prepareStandardStreams();

// True when standard error is a terminal that can show the progress line.
bool standardErrorIsTerminal();

// True when standard output is a terminal.
bool standardOutputIsTerminal();

// True when there is a terminal to ask the user on.
bool terminalAvailable();

// The identity of what standard input is (a file, a pipe, a device); false when it has none to compare.
bool identifyStandardInput(FileIdentity& identity);
// The identity of the regular file that standard output writes to; false when it is anything else (a pipe,
// a socket that may also be standard input by design, a device).
bool identifyStandardOutputFile(FileIdentity& identity);

// On every signal that would end the program and can be caught (Ctrl-C, termination, hang-up, quit, the user
// and timer signals...; on Windows the console's close and break events) the terminal's echo is restored,
// every temporary output is removed, and the program ends with 128 plus the signal's number. A file-size limit
// and a closed pipe make writes fail instead of ending the program.
void installInterruptHandlers();

// Ends the program at once with status, after removing every temporary output: for a failure that leaves
// nothing to report on, such as standard error that can no longer be written.
[[noreturn]] void abandonRun(int status);

// Reads an environment variable as UTF-8 into value; false when it is not set.
bool readEnvironmentVariable(const char* name, SecretBytes& value);

enum class Echo { shown, hidden };
enum class TerminalReply { answered, nothingEntered, noTerminal };

// Writes prompt (UTF-8) on the user's terminal and reads one line from it into line (UTF-8, without its line
// end). With Echo::hidden the typed characters are not shown and a line end is written afterwards. A line
// cut off by the end of input counts as answered when it holds something.
TerminalReply askOnTerminal(std::string_view prompt, Echo echo, SecretBytes& line);

} // namespace kelvara::cli
