// kelvara-cli encrypt INPUT [-o OUTPUT]: one file into the .kvra format.
#include "cli/command_support.h"
#include "cli/exit_status.h"
#include "cli/file_operands.h"
#include "operations/file_routines.h"

namespace kelvara::cli {
namespace {

constexpr CommandInfo encryptCommandInfo{
    "encrypt",
    "encrypt a file (default output: INPUT.kvra)",
    "INPUT",
    1,
    "Encrypts INPUT into OUTPUT (default: INPUT followed by \".kvra\"). The output is written\n"
    "to a temporary file next to it and put in place only when complete; it gets INPUT's\n"
    "permissions, or keeps its own when it is replaced. INPUT \"-\" reads standard input\n"
    "(then -o is needed); \"-o -\" writes to standard output.",
    optionOutput | optionForce | optionVerbose | optionQuiet | optionPasswordFile,
    PasswordUse::encrypting,
    StandardInputUse::forDash,
};

class EncryptCommand final : public Command {
public:
    EncryptCommand() : Command(encryptCommandInfo) {}

    std::optional<int> prepare(const Invocation& invocation, Streams& streams) override {
        return fFiles.prepare(invocation, streams, [](const std::filesystem::path& input) {
            std::filesystem::path output = input;
            output += ".kvra";
            return std::optional(output);
        });
    }

    int run(const Invocation& invocation, Streams& streams, std::u16string_view password) override {
        auto ui = makeUserInterface(streams, invocation);
        return exitStatusOf(
            encryptSingleFile(fFiles.input(), fFiles.output(), password, invocation.verbose, ui, invocation.force));
    }

private:
    FileOperands fFiles;
};

} // namespace

std::unique_ptr<Command> makeEncryptCommand() {
    return std::make_unique<EncryptCommand>();
}

} // namespace kelvara::cli
