// kelvara-cli decrypt INPUT [-o OUTPUT]: one .kvra file back into the plain file.
#include "cli/command_support.h"
#include "cli/exit_status.h"
#include "cli/path_text.h"
#include "operations/file_routines.h"
#include "operations/target_names.h"

namespace kelvara::cli {
namespace {

class DecryptCommand final : public Command {
public:
    std::string_view name() const override { return "decrypt"; }
    std::string_view summary() const override { return "decrypt a file (default output: INPUT without \".kvra\")"; }
    std::string_view help() const override {
        return "usage: kelvara-cli decrypt INPUT [-o OUTPUT] [-f] [-v] [--password-file FILE]\n"
               "\n"
               "Decrypts INPUT into OUTPUT (default: INPUT's name with every \".kvra\" removed, in the\n"
               "same folder). A wrong password is refused before anything is written.\n"
               "\n"
               "  -o, --output FILE       where to write the decrypted file\n"
               "  -f, --force             replace an existing output file\n"
               "  -v, --verbose           also report success\n"
               "  --password-file FILE    read the password from FILE (else KELVARA_PASSWORD, else a prompt)\n";
    }
    unsigned options() const override { return optionOutput | optionForce | optionVerbose | optionPasswordFile; }

    int run(const Invocation& invocation, Streams& streams) override {
        if (auto status = checkOperands(invocation, 1, "kelvara-cli decrypt INPUT [-o OUTPUT]", streams))
            return *status;
        const std::filesystem::path input = pathFromUtf8(invocation.operands[0]);
        std::filesystem::path output;
        if (invocation.output) {
            output = pathFromUtf8(*invocation.output);
        } else {
            const std::string name = pathToUtf8(input.filename());
            const std::string proposed = removeEncryptedExtension(name);
            if (proposed.empty() || proposed == name)
                return fail(streams, exitUsage, "cannot derive an output name from " + pathToUtf8(input),
                            "its name holds no \".kvra\" to remove; give one with -o OUTPUT");
            output = input.parent_path() / pathFromUtf8(proposed);
        }
        if (auto status = refuseExistingOutput(output, invocation.force, streams))
            return *status;
        int status = exitSuccess;
        auto password = passwordOrFail(invocation, PasswordUse::decrypting, streams, status);
        if (!password)
            return status;
        PasswordGuard guard(*password);
        auto ui = makeUserInterface(streams, false);
        return exitStatusOf(decryptSingleFile(input, output, *password, invocation.verbose, ui, invocation.force));
    }
};

} // namespace

std::unique_ptr<Command> makeDecryptCommand() {
    return std::make_unique<DecryptCommand>();
}

} // namespace kelvara::cli
