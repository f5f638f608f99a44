// The target names that the encrypt and decrypt actions propose for a source path.
#pragma once

#include <string>
#include <string_view>

namespace kelvara {

// The encrypted files' extension, dot included.
inline constexpr std::u16string_view encryptedExtension = u".kvra";

// The file-name part of a path: the text after its last "\", "/" or ":".
std::u16string fileNamePart(std::u16string_view path);

// The file-name part followed by ".kvra": C:\Daten\Bericht.pdf gives Bericht.pdf.kvra.
std::u16string proposeEncryptedName(std::u16string_view sourcePath);

// The file-name part with every ".kvra" removed (exact, case-sensitive, anywhere in the name):
// Bericht.pdf.kvra gives Bericht.pdf, a.kvra.kvra gives a, x.kvra.txt gives x.txt, Bericht.KVRA stays.
std::u16string proposeDecryptedName(std::u16string_view sourcePath);

// Every ".kvra" removed from a name (one pass, left to right); the UTF-8 form serves the command-line tool.
std::u16string removeEncryptedExtension(std::u16string_view name);
std::string removeEncryptedExtension(std::string_view name);

// The text from the last "." that follows the last "\", "/" or ":", dot included; empty when there is none.
// Bericht.pdf gives ".pdf"; a save dialog's default suffix is this without its dot.
std::u16string extensionOf(std::u16string_view path);

// True when the path's extension is exactly ".kvra" (case-sensitive): such a drop is decrypted.
bool hasEncryptedExtension(std::u16string_view path);

} // namespace kelvara
