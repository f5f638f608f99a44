// kelvara-cli decrypt-text: Base64 on standard input to the decrypted text (UTF-8) on standard output.
#include "cli/command_support.h"
#include "cli/exit_status.h"
#include "cli/text_io.h"
#include "operations/secure_wipe.h"
#include "operations/text_crypt.h"
#include "text/utf8.h"

#include <ostream>

namespace kelvara::cli {
namespace {

class DecryptTextCommand final : public Command {
public:
    std::string_view name() const override { return "decrypt-text"; }
    std::string_view summary() const override { return "decrypt Base64 text from standard input"; }
    std::string_view help() const override {
        return "usage: kelvara-cli decrypt-text [--password-file FILE] < encrypted > text\n"
               "\n"
               "Decrypts the Base64 text on standard input (spaces and line breaks inside it are skipped)\n"
               "and prints the text as UTF-8, every CR LF, lone CR and lone LF written as one line end.\n"
               "The text format holds no check: a wrong password prints unreadable characters.\n"
               "\n"
               "  --password-file FILE    read the password from FILE (else KELVARA_PASSWORD, else a prompt)\n";
    }
    unsigned options() const override { return optionPasswordFile; }

    int run(const Invocation& invocation, Streams& streams) override {
        if (auto status = checkOperands(invocation, 0, "kelvara-cli decrypt-text < encrypted", streams))
            return *status;
        int status = exitSuccess;
        auto password = passwordOrFail(invocation, PasswordUse::decrypting, streams, status);
        if (!password)
            return status;
        PasswordGuard guard(*password);
        auto input = readAll(streams.in);
        if (!input)
            return fail(streams, exitInputOutput, "cannot read standard input");
        std::string password8 = toCodePage1252(*password);
        std::string text8 = decryptText(toCodePage1252(utf8ToUtf16(*input)), password8);
        std::u16string text = normalizeLineBreaks(fromCodePage1252(text8), u"\n");
        std::string output = utf16ToUtf8(text);
        streams.out << output << std::flush;
        secureWipe(password8);
        secureWipe(text8);
        secureWipe(text);
        secureWipe(output);
        return streams.out ? exitSuccess : fail(streams, exitInputOutput, "cannot write standard output");
    }
};

} // namespace

std::unique_ptr<Command> makeDecryptTextCommand() {
    return std::make_unique<DecryptTextCommand>();
}

} // namespace kelvara::cli
