// Encrypting and decrypting one file in the .kvra format: a 32-byte check block, then the Blowfish-CBC body.
#pragma once

#include "operations/file_key.h"
#include "operations/system_file.h"
#include "operations/user_interface.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace kelvara {

// What a file routine did. The routine has already told the user through the UserInterface;
// the result lets scripted callers (the command-line tool, folder runs) choose an exit status.
enum class FileResult {
    success,
    wrongPassword, // the check block does not match
    inputError,    // the input cannot be opened or read, changed while read, or is no encrypted file
    outputError,   // the output cannot be created, written or put in place (also: input and output are one file)
};

// Which outcomes a routine tells the user: failures only, or success as well.
enum class Report { failures, success };

// Where a routine reads: a named file, or the process's standard input.
struct FileSource {
    FileSource(std::filesystem::path file) : path(std::move(file)) {} // NOLINT: a path is a source
    static FileSource standardInput() {
        FileSource source{std::filesystem::path("-")};
        source.standard = true;
        return source;
    }
    std::filesystem::path path;
    bool standard = false;
};

// Where a routine writes: a named file (through a temporary file put in place when complete), or the
// process's standard output (written as it comes).
struct FileDestination {
    FileDestination(std::filesystem::path file) : path(std::move(file)) {} // NOLINT: a path is a destination
    static FileDestination standardOutput() {
        FileDestination destination{std::filesystem::path("-")};
        destination.standard = true;
        return destination;
    }
    std::filesystem::path path;
    bool standard = false;
};

// Encrypts (Direction::encrypt) or decrypts input into output. The password is used as UTF-16 code units.
// report decides only whether success is told. Input and output naming one file are refused, and so is an
// output that exists but is not a regular file (a link to one counts as what it names). An existing output
// is replaced unless existing is Existing::keep; then a file that appears at the output during the run is not
// replaced either. A replaced file keeps its permission bits; a new one gets the input's, less the umask.
// Decrypting refuses a wrong password, or an input shorter than the check block, before anything is
// written, and a failure leaves the output path as it was.
// Callable from any thread: the routine uses nothing but its arguments.
FileResult transformSingleFile(Direction direction, const FileSource& input, const FileDestination& output,
                               std::u16string_view password, Report report, UserInterface& ui,
                               Existing existing = Existing::replace);

inline FileResult encryptSingleFile(const FileSource& input, const FileDestination& output,
                                    std::u16string_view password, Report report, UserInterface& ui,
                                    Existing existing = Existing::replace) {
    return transformSingleFile(Direction::encrypt, input, output, password, report, ui, existing);
}

inline FileResult decryptSingleFile(const FileSource& input, const FileDestination& output,
                                    std::u16string_view password, Report report, UserInterface& ui,
                                    Existing existing = Existing::replace) {
    return transformSingleFile(Direction::decrypt, input, output, password, report, ui, existing);
}

// A complete, sealed output that the caller puts in place itself, together with others (folder runs).
struct DeferredOutput {
    std::uint64_t maximumBytes = 0; // a larger output is put in place at once, as a single file's is
    std::unique_ptr<TemporaryOutput> output;
    std::filesystem::path shown; // the path the user knows the output by
};

// The same for a folder run, keyed from the run's one FileKey: the output is name inside an opened folder of
// the mirror. A link at that name is reported and not written through. With deferred given, a complete output of at
// most its maximumBytes is sealed and handed over in it instead of being put in place; the caller then tells how that
// went (tellCommit).
FileResult transformFileInto(Direction direction, const std::filesystem::path& input, const OutputFolder& folder,
                             const std::filesystem::path& name, const FileKey& key, UserInterface& ui,
                             Existing existing, DeferredOutput* deferred = nullptr);

// Tells the user what putting the output shown in place gave, as the file routines do, and returns the result.
FileResult tellCommit(Direction direction, TemporaryOutput::Commit commit, const std::filesystem::path& shown,
                      const std::string& reason, UserInterface& ui);

// Checks the password against the input's check block and writes nothing.
FileResult verifySingleFile(const FileSource& input, std::u16string_view password, UserInterface& ui);

} // namespace kelvara
