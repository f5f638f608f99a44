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
    std::string_view help() const override {
        return "usage: kelvara-cli verify INPUT [--password-file FILE]\n"
               "\n"
               "Checks the password against INPUT's check block and writes nothing.\n"
               "Exit status 0 when it matches, 2 when it does not, 3 when INPUT cannot be read.\n"
               "\n"
               "  --password-file FILE    read the password from FILE (else KELVARA_PASSWORD, else a prompt)\n";
    }
    unsigned options() const override { return optionPasswordFile; }

    int run(const Invocation& invocation, Streams& streams) override {
        if (auto status = checkOperands(invocation, 1, "kelvara-cli verify INPUT", streams))
            return *status;
        int status = exitSuccess;
        auto password = passwordOrFail(invocation, PasswordUse::decrypting, streams, status);
        if (!password)
            return status;
        PasswordGuard guard(*password);
        auto ui = makeUserInterface(streams, false);
        const FileResult result = verifySingleFile(pathFromUtf8(invocation.operands[0]), *password, ui);
        if (result == FileResult::success)
            streams.out << invocation.operands[0] << ": password matches\n";
        return exitStatusOf(result);
    }
};

} // namespace

std::unique_ptr<Command> makeVerifyCommand() {
    return std::make_unique<VerifyCommand>();
}

} // namespace kelvara::cli
