// Running encrypt-dir and decrypt-dir: password, the run itself, and the exit status of its worst failure.
#include "cli/folder_command.h"

#include "cli/command_support.h"
#include "cli/exit_status.h"
#include "cli/path_text.h"

#include <ostream>

namespace kelvara::cli {

std::string_view folderCommandHelp(FolderDirection direction) {
    if (direction == FolderDirection::encrypt)
        return "usage: kelvara-cli encrypt-dir SOURCE TARGET [-i] [-f] [--password-file FILE]\n"
               "\n"
               "Encrypts every file below SOURCE into a mirror tree below TARGET: the file /a/b/c.txt\n"
               "goes to TARGET/a/b/c.txt (the whole path of SOURCE is repeated below TARGET; names are\n"
               "kept, no \".kvra\" is added). File names beginning with \".\" are skipped. A TARGET whose\n"
               "mirror would meet SOURCE is refused before anything is created.\n"
               "\n"
               "  -i, --interactive       ask for confirmation on the terminal first\n"
               "  -f, --force             replace existing output files (else they are left and reported)\n"
               "  --password-file FILE    read the password from FILE (else KELVARA_PASSWORD, else a prompt)\n"
               "\n"
               "Exit status: the highest one met over all files (2 wrong password, 3 input or output error).\n";
    return "usage: kelvara-cli decrypt-dir SOURCE TARGET [-i] [-f] [--password-file FILE]\n"
           "\n"
           "Decrypts every file below SOURCE into a mirror tree below TARGET, keeping the names\n"
           "(see encrypt-dir). A file with another password is reported and the run goes on.\n"
           "\n"
           "  -i, --interactive       ask for confirmation on the terminal first\n"
           "  -f, --force             replace existing output files (else they are left and reported)\n"
           "  --password-file FILE    read the password from FILE (else KELVARA_PASSWORD, else a prompt)\n"
           "\n"
           "Exit status: the highest one met over all files (2 wrong password, 3 input or output error).\n";
}

int runFolderCommand(FolderDirection direction, const Invocation& invocation, Streams& streams) {
    const bool encrypting = direction == FolderDirection::encrypt;
    const std::string usage =
        std::string("kelvara-cli ") + (encrypting ? "encrypt-dir" : "decrypt-dir") + " SOURCE TARGET";
    if (auto status = checkOperands(invocation, 2, usage, streams))
        return *status;
    int status = exitSuccess;
    auto password =
        passwordOrFail(invocation, encrypting ? PasswordUse::encrypting : PasswordUse::decrypting, streams, status);
    if (!password)
        return status;
    PasswordGuard guard(*password);
    auto ui = makeUserInterface(streams, invocation.interactive);
    const FolderRunSummary summary = runFolderTree(
        direction, pathFromUtf8(invocation.operands[0]), pathFromUtf8(invocation.operands[1]),
        [&] { return *password; }, ui, invocation.interactive, invocation.force);
    if (!summary.started) {
        if (summary.worst == FileResult::success)
            streams.err << "kelvara-cli: not confirmed; nothing was written\n";
        return exitStatusOf(summary.worst);
    }
    if (summary.failures > 0)
        streams.err << "kelvara-cli: " << summary.failures << " of " << summary.files << " files failed\n";
    return exitStatusOf(summary.worst);
}

} // namespace kelvara::cli
