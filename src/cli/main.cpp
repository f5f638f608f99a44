// kelvara-cli: encrypts and decrypts files, folder trees and texts from the command line.
#include "cli/command.h"
#include "cli/console.h"
#include "cli/exit_status.h"
#include "kelvara_version.h"
#include "operations/system_file.h"

#include <exception>
#include <iostream>

namespace {

using namespace kelvara::cli;

void printOverview(std::ostream& out, const std::vector<std::unique_ptr<Command>>& commands) {
    out << "usage: kelvara-cli COMMAND [OPTIONS] [ARGS]\n"
           "\n"
           "Protects files, folder trees and short texts with a password.\n"
           "\n"
           "Commands:\n";
    for (const auto& command : commands) {
        std::string name(command->info().name);
        name.resize(14, ' ');
        out << "  " << name << command->info().summary << '\n';
    }
    out << "\n"
           "The password is never taken from the command line: it comes from --password-file FILE,\n"
           "the KELVARA_PASSWORD variable, or a prompt on the terminal (twice when encrypting).\n"
           "\n"
           "Exit status: 0 success, 1 usage error, 2 wrong password, 3 input or output error,\n"
           "128 + N when ended by signal N (temporary files are removed first).\n"
           "Run 'kelvara-cli COMMAND --help' for a command's options.\n";
}

int runMain(int argc, char** argv) {
    const std::vector<std::string> args = programArguments(argc, argv);
    const auto commands = allCommands();
    Streams streams{std::cin, std::cout, std::cerr};
    if (args.empty()) {
        printOverview(std::cerr, commands);
        return exitUsage;
    }
    if (args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
        printOverview(std::cout, commands);
        return exitSuccess;
    }
    if (args[0] == "--version") {
        std::cout << "kelvara-cli " << KELVARA_VERSION_STRING << '\n';
        return exitSuccess;
    }
    for (const auto& command : commands) {
        if (command->info().name != args[0])
            continue;
        std::string error;
        const auto invocation =
            parseInvocation(std::vector<std::string>(args.begin() + 1, args.end()), command->info().options, error);
        if (!invocation)
            return fail(streams, exitUsage, error, "run 'kelvara-cli " + args[0] + " --help' for its options");
        if (invocation->help) {
            std::cout << commandHelp(*command);
            return exitSuccess;
        }
        return runCommand(*command, *invocation, streams);
    }
    return fail(streams, exitUsage, "unknown command '" + args[0] + "'", "run 'kelvara-cli --help' for the commands");
}

} // namespace

int main(int argc, char** argv) {
    try {
        prepareStandardStreams();
        installInterruptHandlers();
        // Folder runs hold several files per worker; the pool stays within whatever limit this leaves.
        kelvara::raiseOpenFileLimit();
        return runMain(argc, argv);
    } catch (const std::exception& failure) {
        std::cerr << "kelvara-cli: unexpected error: " << failure.what() << '\n';
        return exitInputOutput;
    }
}
