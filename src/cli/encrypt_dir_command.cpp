// kelvara-cli encrypt-dir SOURCE TARGET: encrypts a folder tree into a mirror tree.
#include "cli/folder_command.h"

namespace kelvara::cli {
namespace {

class EncryptDirCommand final : public Command {
public:
    std::string_view name() const override { return "encrypt-dir"; }
    std::string_view summary() const override { return "encrypt a folder tree into a mirror below TARGET"; }
    std::string_view help() const override { return folderCommandHelp(FolderDirection::encrypt); }
    unsigned options() const override { return optionInteractive | optionForce | optionPasswordFile; }
    int run(const Invocation& invocation, Streams& streams) override {
        return runFolderCommand(FolderDirection::encrypt, invocation, streams);
    }
};

} // namespace

std::unique_ptr<Command> makeEncryptDirCommand() {
    return std::make_unique<EncryptDirCommand>();
}

} // namespace kelvara::cli
