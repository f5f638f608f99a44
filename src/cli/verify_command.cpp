// kelvara-cli verify INPUT: checks the password against the file's check block and writes nothing.
#include "cli/command_support.h"
#include "cli/exit_status.h"
#include "cli/path_text.h"
#include "operations/file_routines.h"

#include <ostream>

namespace kelvara::cli {
namespace {

constexpr CommandInfo verifyCommandInfo{
    "verify",
    "check the password against an encrypted file",
    "INPUT",
    1,
    "Checks the password against INPUT's check block and writes nothing (INPUT \"-\": standard\n"
    "input). Exit status 0 when it matches, 2 when it does not, 3 when INPUT cannot be read or\n"
    "is not an encrypted file.",
    optionPasswordFile,
    PasswordUse::decrypting,
    StandardInputUse::forDash,
};

class VerifyCommand final : public Command {
public:
    VerifyCommand() : Command(verifyCommandInfo) {}

    int run(const Invocation& invocation, Streams& streams, std::u16string_view password) override {
        const std::string& inputText = invocation.operands[0];
        const FileSource input = inputText == "-" ? FileSource::standardInput() : FileSource(pathFromUtf8(inputText));
        auto ui = makeUserInterface(streams, invocation);
        const FileResult result = verifySingleFile(input, password, ui);
        if (result != FileResult::success)
            return exitStatusOf(result);
        streams.out << escapeControls(inputText) << ": password matches\n" << std::flush;
        return streams.out ? exitSuccess : fail(streams, exitInputOutput, "cannot write standard output");
    }
};

} // namespace

std::unique_ptr<Command> makeVerifyCommand() {
    return std::make_unique<VerifyCommand>();
}

} // namespace kelvara::cli
