// kelvara-cli encrypt-text: standard input (UTF-8) to one line of Base64 on standard output.
#include "cli/command_support.h"
#include "cli/exit_status.h"
#include "cli/text_io.h"
#include "operations/text_crypt.h"
#include "operations/text_form.h"
#include "operations/wiped_buffer.h"
#include "text/utf8.h"

#include <ostream>
#include <string>

namespace kelvara::cli {
namespace {

// "U+0416 'Ж'" for each character, so that the user can find them in the text.
std::string describeCharacters(const std::u32string& characters) {
    std::string text;
    for (const char32_t character : characters) {
        static constexpr char digits[] = "0123456789ABCDEF";
        std::string code;
        for (char32_t value = character; value != 0 || code.size() < 4; value >>= 4)
            code.insert(code.begin(), digits[value & 0xF]);
        if (!text.empty())
            text += ", ";
        text += "U+" + code;
        if (character >= 0x20 && (character < 0xD800 || character > 0xDFFF)) {
            text += " '";
            appendUtf8(text, character);
            text += "'";
        }
    }
    return text;
}

constexpr CommandInfo encryptTextCommandInfo{
    "encrypt-text",
    "encrypt standard input into one line of Base64",
    "",
    0,
    "Encrypts standard input exactly as read (UTF-8; a leading byte-order mark is dropped) in its\n"
    "8-bit Windows-1252 form and prints one line of Base64. Input that is not UTF-8, or that holds\n"
    "characters Windows-1252 lacks (they could not come back), is refused with status 3. The text\n"
    "is keyed with the password's Windows-1252 form: a password with characters it lacks is\n"
    "refused with status 1.",
    optionQuiet | optionPasswordFile,
    PasswordUse::encrypting,
    StandardInputUse::always,
};

class EncryptTextCommand final : public Command {
public:
    EncryptTextCommand() : Command(encryptTextCommandInfo) {}

    int run(const Invocation&, Streams& streams, std::u16string_view password) override {
        // Texts are keyed with the password's 8-bit form; characters it lacks would all key as "?". The
        // characters are not named here: standard error may end up in a log.
        const PasswordBytes password8 = textPasswordBytes(password);
        if (!password8.missing.empty())
            return fail(streams, exitUsage,
                        "the password holds characters that Windows-1252 cannot hold; nothing was encrypted",
                        "texts are keyed with the password's Windows-1252 form, in which each of them would be "
                        "\"?\"; files take any password");
        auto input = readAll(streams.in);
        if (!input)
            return fail(streams, exitInputOutput, "cannot read standard input");
        std::u16string text;
        const bool valid = textFromUtf8(*input, text);
        secureWipe(*input);
        if (!valid)
            return fail(streams, exitInputOutput, "standard input is not valid UTF-8; nothing was encrypted");
        TextBytes form = textToBytes(text, LineEnds::asTyped);
        secureWipe(text);
        if (!form.missing.empty()) {
            secureWipe(form.bytes);
            return fail(streams, exitInputOutput,
                        "the text holds characters that Windows-1252 cannot hold: " + describeCharacters(form.missing) +
                            (form.missingNotShown > 0 ? " and " + std::to_string(form.missingNotShown) + " more" : "") +
                            "; nothing was encrypted",
                        "they would come back as \"?\"; remove or replace them");
        }
        const std::string encrypted = encryptText(form.bytes, password8.bytes.view());
        secureWipe(form.bytes);
        streams.out << encrypted << '\n' << std::flush;
        return streams.out ? exitSuccess : fail(streams, exitInputOutput, "cannot write standard output");
    }
};

} // namespace

std::unique_ptr<Command> makeEncryptTextCommand() {
    return std::make_unique<EncryptTextCommand>();
}

} // namespace kelvara::cli
