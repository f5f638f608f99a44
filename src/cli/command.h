// The small interface every kelvara-cli command implements, and the list of all commands.
#pragma once

#include "cli/invocation.h"

#include <iosfwd>
#include <memory>
#include <string_view>
#include <vector>

namespace kelvara::cli {

// What a command may use besides its arguments: standard input and output, and the error stream.
struct Streams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
};

class Command {
public:
    virtual ~Command() = default;
    virtual std::string_view name() const = 0;
    virtual std::string_view summary() const = 0; // one line for the overview
    virtual std::string_view help() const = 0;    // the command's full --help text
    virtual unsigned options() const = 0;         // the Option bits it accepts
    // Runs the command with parsed arguments; returns the exit status.
    virtual int run(const Invocation& invocation, Streams& streams) = 0;
};

std::unique_ptr<Command> makeEncryptCommand();
std::unique_ptr<Command> makeDecryptCommand();
std::unique_ptr<Command> makeVerifyCommand();
std::unique_ptr<Command> makeEncryptDirCommand();
std::unique_ptr<Command> makeDecryptDirCommand();
std::unique_ptr<Command> makeEncryptTextCommand();
std::unique_ptr<Command> makeDecryptTextCommand();

std::vector<std::unique_ptr<Command>> allCommands();

// Prints "kelvara-cli: message" and, when given, a hint line; returns status.
int fail(Streams& streams, int status, std::string_view message, std::string_view hint = {});

} // namespace kelvara::cli
