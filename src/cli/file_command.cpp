// kelvara-cli encrypt and decrypt INPUT [-o OUTPUT]: one file into the .kvra format, and back.
#include "cli/command_support.h"
#include "cli/exit_status.h"
#include "cli/file_operands.h"
#include "cli/path_text.h"
#include "operations/file_routines.h"
#include "operations/target_names.h"

namespace kelvara::cli {
namespace {

constexpr CommandInfo encryptCommandInfo{
    "encrypt",
    "encrypt a file (default output: INPUT.kvra)",
    "INPUT",
    1,
    "Encrypts INPUT into OUTPUT (default: INPUT followed by \".kvra\"). The output is written\n"
    "to a temporary file next to it and put in place only when complete; it gets INPUT's\n"
    "permissions less the umask, or keeps its own and its owner when it is replaced, never\n"
    "setuid or setgid. With -f a symbolic link at OUTPUT is followed, but not another user's\n"
    "link in a shared sticky folder such as /tmp (status 3). INPUT \"-\" reads standard input\n"
    "(then -o is needed); \"-o -\" writes to standard output.",
    optionOutput | optionForce | optionVerbose | optionQuiet | optionPasswordFile,
    PasswordUse::encrypting,
    StandardInputUse::forDash,
};

constexpr CommandInfo decryptCommandInfo{
    "decrypt",
    "decrypt a file (default output: INPUT without \".kvra\")",
    "INPUT",
    1,
    "Decrypts INPUT into OUTPUT (default: INPUT's name with every \".kvra\" removed, in the\n"
    "same folder). A wrong password is refused before anything is written. Permissions, owner\n"
    "and links at OUTPUT are handled as by encrypt: never setuid or setgid. INPUT \"-\" reads\n"
    "standard input (then -o is needed); \"-o -\" writes to standard output.",
    optionOutput | optionForce | optionVerbose | optionQuiet | optionPasswordFile,
    PasswordUse::decrypting,
    StandardInputUse::forDash,
};

// The output when -o is not given: INPUT followed by ".kvra" when encrypting; when decrypting, INPUT's name
// with every ".kvra" removed, or none when that removes nothing or leaves nothing.
std::optional<std::filesystem::path> defaultOutput(Direction direction, const std::filesystem::path& input) {
    if (direction == Direction::encrypt) {
        std::filesystem::path output = input;
        output += ".kvra";
        return output;
    }
    const std::string name = pathToUtf8(input.filename());
    const std::string proposed = removeEncryptedExtension(name);
    if (proposed.empty() || proposed == name)
        return std::nullopt;
    return input.parent_path() / pathFromUtf8(proposed);
}

class FileCommand final : public Command {
public:
    explicit FileCommand(Direction direction)
        : Command(direction == Direction::encrypt ? encryptCommandInfo : decryptCommandInfo), m_direction(direction) {}

    std::optional<int> prepare(const Invocation& invocation, Streams& streams) override {
        return m_files.prepare(invocation, streams, [this](const std::filesystem::path& input) {
            return defaultOutput(m_direction, input);
        });
    }

    int run(const Invocation& invocation, Streams& streams, std::u16string_view password) override {
        auto ui = makeUserInterface(streams, invocation);
        return exitStatusOf(transformSingleFile(m_direction, m_files.input(), m_files.output(), password,
                                                reportOf(invocation), ui, existingOf(invocation)));
    }

private:
    Direction m_direction;
    FileOperands m_files;
};

} // namespace

std::unique_ptr<Command> makeEncryptCommand() {
    return std::make_unique<FileCommand>(Direction::encrypt);
}

std::unique_ptr<Command> makeDecryptCommand() {
    return std::make_unique<FileCommand>(Direction::decrypt);
}

} // namespace kelvara::cli
