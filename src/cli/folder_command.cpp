// encrypt-dir and decrypt-dir: the run itself, and the exit status of its worst failure.
#include "cli/folder_command.h"

#include "cli/command_support.h"
#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/path_text.h"

#include <ostream>

namespace kelvara::cli {
namespace {

constexpr CommandInfo encryptDirInfo{
    "encrypt-dir",
    "encrypt a folder tree into a mirror below TARGET",
    "SOURCE TARGET",
    2,
    "Encrypts every file below SOURCE into a mirror tree below TARGET: the file /a/b/c.txt\n"
    "goes to TARGET/a/b/c.txt (the whole path of SOURCE is repeated below TARGET; names are\n"
    "kept, no \".kvra\" is added). File names beginning with \".\" are skipped. A TARGET whose\n"
    "mirror would meet SOURCE is refused before anything is created. Folders and files that\n"
    "cannot be read are reported and left out; FIFOs, sockets and devices are named and\n"
    "skipped; nothing is written through a symbolic link inside TARGET. A folder the run\n"
    "creates (TARGET too) gets its source folder's permissions less the umask, never setuid,\n"
    "setgid or sticky, and always open to you; existing folders stay as they are. Several\n"
    "files are handled at once (-j), no more than the limit of open files allows.\n"
    "\n"
    "Exit status: the highest one met over all files (2 wrong password, 3 input or output error).",
    optionInteractive | optionForce | optionQuiet | optionJobs | optionPasswordFile,
    PasswordUse::encrypting,
    StandardInputUse::never,
};

constexpr CommandInfo decryptDirInfo{
    "decrypt-dir",
    "decrypt a folder tree into a mirror below TARGET",
    "SOURCE TARGET",
    2,
    "Decrypts every file below SOURCE into a mirror tree below TARGET, keeping the names\n"
    "(see encrypt-dir). A file with another password is reported and the run goes on.\n"
    "\n"
    "Exit status: the highest one met over all files (2 wrong password, 3 input or output error).",
    optionInteractive | optionForce | optionQuiet | optionJobs | optionPasswordFile,
    PasswordUse::decrypting,
    StandardInputUse::never,
};

class FolderCommand final : public Command {
public:
    explicit FolderCommand(Direction direction)
        : Command(direction == Direction::encrypt ? encryptDirInfo : decryptDirInfo), m_direction(direction) {}

    std::optional<int> prepare(const Invocation& invocation, Streams& streams) override {
        if (invocation.interactive && !terminalAvailable())
            return fail(streams, exitUsage, "-i needs a terminal to ask on, and there is none",
                        "leave out -i to run without the question");
        return std::nullopt;
    }

    int run(const Invocation& invocation, Streams& streams, std::u16string_view password) override {
        auto ui = makeUserInterface(streams, invocation);
        const FolderRunSummary summary = runFolderTree(
            m_direction, pathFromUtf8(invocation.operands[0]), pathFromUtf8(invocation.operands[1]), password, ui,
            invocation.interactive ? Confirmation::ask : Confirmation::given, existingOf(invocation), invocation.jobs);
        if (!summary.started) {
            if (summary.worst == FileResult::success)
                streams.err << "kelvara-cli: not confirmed; nothing was written\n";
            return exitStatusOf(summary.worst);
        }
        if (summary.failures > 0)
            streams.err << "kelvara-cli: " << summary.failures << " of " << summary.files
                        << (summary.files == 1 ? " file failed\n" : " files failed\n");
        if (summary.unreadable > 0)
            streams.err << "kelvara-cli: " << summary.unreadable
                        << (summary.unreadable == 1
                                ? " folder or file of the source could not be read and was left out\n"
                                : " folders or files of the source could not be read and were left out\n");
        return streams.err ? exitStatusOf(summary.worst) : int(exitInputOutput);
    }

private:
    Direction m_direction;
};

} // namespace

std::unique_ptr<Command> makeFolderCommand(Direction direction) {
    return std::make_unique<FolderCommand>(direction);
}

std::unique_ptr<Command> makeEncryptDirCommand() {
    return makeFolderCommand(Direction::encrypt);
}

std::unique_ptr<Command> makeDecryptDirCommand() {
    return makeFolderCommand(Direction::decrypt);
}

} // namespace kelvara::cli
