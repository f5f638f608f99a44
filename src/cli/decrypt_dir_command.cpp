// kelvara-cli decrypt-dir SOURCE TARGET: decrypts a folder tree into a mirror tree.
#include "cli/folder_command.h"

namespace kelvara::cli {
namespace {

class DecryptDirCommand final : public Command {
public:
    std::string_view name() const override { return "decrypt-dir"; }
    std::string_view summary() const override { return "decrypt a folder tree into a mirror below TARGET"; }
    std::string_view help() const override { return folderCommandHelp(FolderDirection::decrypt); }
    unsigned options() const override { return optionInteractive | optionForce | optionPasswordFile; }
    int run(const Invocation& invocation, Streams& streams) override {
        return runFolderCommand(FolderDirection::decrypt, invocation, streams);
    }
};

} // namespace

std::unique_ptr<Command> makeDecryptDirCommand() {
    return std::make_unique<DecryptDirCommand>();
}

} // namespace kelvara::cli
