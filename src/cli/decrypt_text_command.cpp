// kelvara-cli decrypt-text: Base64 on standard input to the decrypted text (UTF-8) on standard output.
#include "cli/command_support.h"
#include "cli/exit_status.h"
#include "cli/text_io.h"
#include "operations/text_crypt.h"
#include "operations/text_form.h"
#include "operations/wiped_buffer.h"
#include "text/utf8.h"

#include <ostream>

namespace kelvara::cli {
namespace {

constexpr CommandInfo decryptTextCommandInfo{
    "decrypt-text",
    "decrypt Base64 text from standard input",
    "",
    0,
    "Decrypts the Base64 text on standard input (spaces and line breaks inside it are skipped)\n"
    "and prints the text as UTF-8, every CR LF, lone CR and lone LF written as one line end.\n"
    "Input that is not Base64 (another character, \"=\" before the end, a length that is not a\n"
    "multiple of 4) is refused with status 3. The text format holds no check: a wrong password\n"
    "prints unreadable characters.",
    optionPasswordFile,
    PasswordUse::decrypting,
    StandardInputUse::always,
};

class DecryptTextCommand final : public Command {
public:
    DecryptTextCommand() : Command(decryptTextCommandInfo) {}

    int run(const Invocation&, Streams& streams, std::u16string_view password) override {
        auto input = readAll(streams.in);
        if (!input)
            return fail(streams, exitInputOutput, "cannot read standard input");
        // Characters the password's 8-bit form lacks stay "?" here, as earlier versions keyed them.
        std::optional<std::string> text8 = decryptText(*input, textPasswordBytes(password).bytes.view());
        if (!text8)
            return fail(streams, exitInputOutput, "standard input is not Base64 text; nothing was decrypted");
        std::u16string text = bytesToText(*text8, LineEnds::lf);
        std::string output = utf16ToUtf8(text);
        streams.out << output << std::flush;
        secureWipe(*text8);
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
