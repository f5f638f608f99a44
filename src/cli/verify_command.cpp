// kelvara-cli verify INPUT: checks the password against the file's check block and writes nothing.
#include "cli/command_support.h"
#include "cli/exit_status.h"
#include "cli/path_text.h"
#include "operations/file_routines.h"

#include <ostream>

namespace kelvara::cli {
namespace {

class VerifyCommand final : public Command {
public:
    std::string_view name() const override { return "verify"; }
    std::string_view summary() const override { return "check the password against an encrypted file"; }
    std::string_view operands() const override { return "INPUT"; }
    std::size_t operandCount() const override { return 1; }
    std::string_view description() const override {
        return "Checks the password against INPUT's check block and writes nothing (INPUT \"-\": standard\n"
               "input). Exit status 0 when it matches, 2 when it does not, 3 when INPUT cannot be read or\n"
               "is not an encrypted file.";
    }
    unsigned options() const override { return optionPasswordFile; }
    PasswordUse passwordUse() const override { return PasswordUse::decrypting; }

    int run(const Invocation& invocation, Streams& streams, const std::u16string& password) override {
        const std::string& inputText = invocation.operands[0];
        const FileSource input = inputText == "-" ? FileSource::standardInput() : FileSource(pathFromUtf8(inputText));
        auto ui = makeUserInterface(streams, invocation);
        const FileResult result = verifySingleFile(input, password, ui);
        if (result == FileResult::success)
            streams.out << escapeControls(inputText) << ": password matches\n";
        return exitStatusOf(result);
    }
};

} // namespace

std::unique_ptr<Command> makeVerifyCommand() {
    return std::make_unique<VerifyCommand>();
}

} // namespace kelvara::cli
