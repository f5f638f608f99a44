// kelvara-cli encrypt INPUT [-o OUTPUT]: one file into the .kvra format.
#include "cli/command_support.h"
#include "cli/exit_status.h"
#include "cli/path_text.h"
#include "operations/file_routines.h"

namespace kelvara::cli {
namespace {

class EncryptCommand final : public Command {
public:
    std::string_view name() const override { return "encrypt"; }
    std::string_view summary() const override { return "encrypt a file (default output: INPUT.kvra)"; }
    std::string_view help() const override {
        return "usage: kelvara-cli encrypt INPUT [-o OUTPUT] [-f] [-v] [--password-file FILE]\n"
               "\n"
               "Encrypts INPUT into OUTPUT (default: INPUT followed by \".kvra\"). The output is written\n"
               "to a temporary file next to it and put in place only when complete.\n"
               "\n"
               "  -o, --output FILE       where to write the encrypted file\n"
               "  -f, --force             replace an existing output file\n"
               "  -v, --verbose           also report success\n"
               "  --password-file FILE    read the password from FILE (else KELVARA_PASSWORD, else a prompt)\n";
    }
    unsigned options() const override { return optionOutput | optionForce | optionVerbose | optionPasswordFile; }

    int run(const Invocation& invocation, Streams& streams) override {
        if (auto status = checkOperands(invocation, 1, "kelvara-cli encrypt INPUT [-o OUTPUT]", streams))
            return *status;
        const std::filesystem::path input = pathFromUtf8(invocation.operands[0]);
        std::filesystem::path output = input;
        if (invocation.output)
            output = pathFromUtf8(*invocation.output);
        else
            output += ".kvra";
        if (auto status = refuseExistingOutput(output, invocation.force, streams))
            return *status;
        int status = exitSuccess;
        auto password = passwordOrFail(invocation, PasswordUse::encrypting, streams, status);
        if (!password)
            return status;
        PasswordGuard guard(*password);
        auto ui = makeUserInterface(streams, false);
        return exitStatusOf(encryptSingleFile(input, output, *password, invocation.verbose, ui, invocation.force));
    }
};

} // namespace

std::unique_ptr<Command> makeEncryptCommand() {
    return std::make_unique<EncryptCommand>();
}

} // namespace kelvara::cli
