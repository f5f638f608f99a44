// kelvara-cli encrypt-text: standard input (UTF-8) to one line of Base64 on standard output.
#include "cli/command_support.h"
#include "cli/exit_status.h"
#include "cli/text_io.h"
#include "operations/secure_wipe.h"
#include "operations/text_crypt.h"
#include "text/utf8.h"

#include <ostream>

namespace kelvara::cli {
namespace {

class EncryptTextCommand final : public Command {
public:
    std::string_view name() const override { return "encrypt-text"; }
    std::string_view summary() const override { return "encrypt standard input into one line of Base64"; }
    std::string_view help() const override {
        return "usage: kelvara-cli encrypt-text [--password-file FILE] < text > encrypted\n"
               "\n"
               "Encrypts standard input exactly as read (UTF-8, taken to its 8-bit Windows-1252 form; a\n"
               "character that form lacks becomes \"?\") and prints one line of Base64.\n"
               "\n"
               "  --password-file FILE    read the password from FILE (else KELVARA_PASSWORD, else a prompt)\n";
    }
    unsigned options() const override { return optionPasswordFile; }

    int run(const Invocation& invocation, Streams& streams) override {
        if (auto status = checkOperands(invocation, 0, "kelvara-cli encrypt-text < text", streams))
            return *status;
        int status = exitSuccess;
        auto password = passwordOrFail(invocation, PasswordUse::encrypting, streams, status);
        if (!password)
            return status;
        PasswordGuard guard(*password);
        auto input = readAll(streams.in);
        if (!input)
            return fail(streams, exitInputOutput, "cannot read standard input");
        std::string text8 = toCodePage1252(utf8ToUtf16(*input));
        std::string password8 = toCodePage1252(*password);
        const std::string encrypted = encryptText(text8, password8);
        secureWipe(text8);
        secureWipe(password8);
        secureWipe(*input);
        streams.out << encrypted << '\n' << std::flush;
        return streams.out ? exitSuccess : fail(streams, exitInputOutput, "cannot write standard output");
    }
};

} // namespace

std::unique_ptr<Command> makeEncryptTextCommand() {
    return std::make_unique<EncryptTextCommand>();
}

} // namespace kelvara::cli
