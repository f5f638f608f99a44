// The list of kelvara-cli's commands, in the order the overview shows them.
#include "cli/command.h"

namespace kelvara::cli {

std::vector<std::unique_ptr<Command>> allCommands() {
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(makeEncryptCommand());
    commands.push_back(makeDecryptCommand());
    commands.push_back(makeVerifyCommand());
    commands.push_back(makeEncryptDirCommand());
    commands.push_back(makeDecryptDirCommand());
    commands.push_back(makeEncryptTextCommand());
    commands.push_back(makeDecryptTextCommand());
    return commands;
}

} // namespace kelvara::cli
