// The shape of every kelvara-cli command, and the list of all commands.
#pragma once

#include "cli/invocation.h"
#include "cli/password_source.h"

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara::cli {

// What a command may use besides its arguments: standard input and output, and the error stream.
struct Streams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
};

// What the tool tells and checks about a command before running it.
struct CommandInfo {
    std::string_view name;
    std::string_view summary;     // one line for the overview
    std::string_view operands;    // the operands in the usage line, e.g. "INPUT"
    std::size_t operandCount;     // exactly this many operands
    std::string_view description; // the paragraphs of --help between usage and options
    unsigned options;             // the Option bits it accepts
    PasswordUse passwordUse;
    StandardInputUse standardInput; // when its input is standard input
};

// Every command works with the password. runCommand() checks the operands, lets the command prepare what
// needs no password, obtains the password (refusing an empty one and one with a NUL for encryption), runs the
// command with it and wipes it.
class Command {
public:
    explicit Command(const CommandInfo& info) : m_info(info) {}
    virtual ~Command() = default;
    const CommandInfo& info() const { return m_info; }

    // Checks and prepares what needs no password; a status ends the command before the password is asked.
    virtual std::optional<int> prepare(const Invocation& /*invocation*/, Streams& /*streams*/) { return std::nullopt; }
    // Does the work; returns the exit status.
    virtual int run(const Invocation& invocation, Streams& streams, std::u16string_view password) = 0;

private:
    CommandInfo m_info;
};

std::unique_ptr<Command> makeEncryptCommand();
std::unique_ptr<Command> makeDecryptCommand();
std::unique_ptr<Command> makeVerifyCommand();
std::unique_ptr<Command> makeEncryptDirCommand();
std::unique_ptr<Command> makeDecryptDirCommand();
std::unique_ptr<Command> makeEncryptTextCommand();
std::unique_ptr<Command> makeDecryptTextCommand();

std::vector<std::unique_ptr<Command>> allCommands();

// The command's --help text: usage line, description, options.
std::string commandHelp(const Command& command);

// Runs a parsed command as described at Command; returns the exit status.
int runCommand(Command& command, const Invocation& invocation, Streams& streams);

// Prints "kelvara-cli: message" and, when given, a hint line; returns status.
int fail(Streams& streams, int status, std::string_view message, std::string_view hint = {});

} // namespace kelvara::cli
