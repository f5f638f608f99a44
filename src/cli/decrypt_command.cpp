// kelvara-cli decrypt INPUT [-o OUTPUT]: one .kvra file back into the plain file.
#include "cli/command_support.h"
#include "cli/exit_status.h"
#include "cli/file_operands.h"
#include "cli/path_text.h"
#include "operations/file_routines.h"
#include "operations/target_names.h"

namespace kelvara::cli {
namespace {

constexpr CommandInfo decryptCommandInfo{
    "decrypt",
    "decrypt a file (default output: INPUT without \".kvra\")",
    "INPUT",
    1,
    "Decrypts INPUT into OUTPUT (default: INPUT's name with every \".kvra\" removed, in the\n"
    "same folder). A wrong password is refused before anything is written. INPUT \"-\" reads\n"
    "standard input (then -o is needed); \"-o -\" writes to standard output.",
    optionOutput | optionForce | optionVerbose | optionQuiet | optionPasswordFile,
    PasswordUse::decrypting,
    StandardInputUse::forDash,
};

class DecryptCommand final : public Command {
public:
    DecryptCommand() : Command(decryptCommandInfo) {}

    std::optional<int> prepare(const Invocation& invocation, Streams& streams) override {
        return fFiles.prepare(invocation, streams, [](const std::filesystem::path& input) {
            const std::string name = pathToUtf8(input.filename());
            const std::string proposed = removeEncryptedExtension(name);
            if (proposed.empty() || proposed == name)
                return std::optional<std::filesystem::path>();
            return std::optional(input.parent_path() / pathFromUtf8(proposed));
        });
    }

    int run(const Invocation& invocation, Streams& streams, std::u16string_view password) override {
        auto ui = makeUserInterface(streams, invocation);
        return exitStatusOf(
            decryptSingleFile(fFiles.input(), fFiles.output(), password, invocation.verbose, ui, invocation.force));
    }

private:
    FileOperands fFiles;
};

} // namespace

std::unique_ptr<Command> makeDecryptCommand() {
    return std::make_unique<DecryptCommand>();
}

} // namespace kelvara::cli
