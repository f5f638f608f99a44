// Encrypting and decrypting one file in the .kvra format: a 32-byte check block, then the Blowfish-CBC body.
#pragma once

#include "operations/user_interface.h"

#include <filesystem>
#include <string>

namespace kelvara {

// What a file routine did. The routine has already told the user through the UserInterface;
// the result lets scripted callers (the command-line tool, folder runs) choose an exit status.
enum class FileResult {
    success,
    wrongPassword, // the check block does not match (also: input shorter than the check block)
    inputError,    // the input cannot be opened or read
    outputError,   // the output cannot be created, written or put in place (also: input and output are one file)
};

// Encrypts inputPath into outputPath (written through a temporary file and put in place only when complete).
// The password is used as UTF-16 code units. reportSuccess decides only whether "Datei verschlüsselt" is shown.
// Input and output naming one file are refused. An existing output is replaced unless replaceExisting is false.
// Callable from any thread: the routine uses nothing but its arguments.
FileResult encryptSingleFile(const std::filesystem::path& inputPath, const std::filesystem::path& outputPath,
                             const std::u16string& password, bool reportSuccess, UserInterface& ui,
                             bool replaceExisting = true);

// Decrypts inputPath into outputPath; a wrong password is refused before anything is written, and a failure
// leaves the output path as it was.
FileResult decryptSingleFile(const std::filesystem::path& inputPath, const std::filesystem::path& outputPath,
                             const std::u16string& password, bool reportSuccess, UserInterface& ui,
                             bool replaceExisting = true);

// Checks the password against the input's check block and writes nothing.
FileResult verifySingleFile(const std::filesystem::path& inputPath, const std::u16string& password, UserInterface& ui);

} // namespace kelvara
