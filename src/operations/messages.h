// The operations' fixed German texts and the builders for those that name a file.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kelvara::messages {

inline constexpr std::string_view encryptInputOpen = "Datei (Eingabe) kann nicht geöffnet werden";
inline constexpr std::string_view encryptOutputOpen = "Datei (Ausgabe) kann nicht geöffnet werden";
inline constexpr std::string_view encryptDone = "Datei verschlüsselt";
inline constexpr std::string_view decryptInputOpen = "Datei (Eingang) kann nicht geöffnet werden";
inline constexpr std::string_view decryptOutputOpen = "Datei (Ausgang) kann nicht geöffnet werden";
inline constexpr std::string_view wrongPassword = "Falsches Passwort";
inline constexpr std::string_view decryptDone = "File decrypted";

inline constexpr std::string_view structurePhase = "Ordnerstruktur wird erstellt !";
inline constexpr std::string_view encryptPhase = "Daten werden verschlüsselt !";
inline constexpr std::string_view decryptPhase = "Daten werden entschlüsselt !";

// A path as UTF-8 text for messages.
std::string pathText(const std::filesystem::path& path);

// "<path>: <reason>"
std::string fileReason(const std::filesystem::path& path, const std::string& reason);

// I/O errors during the copy; decrypt selects the "Eingang"/"Ausgang" wording of the decrypt routine.
std::string readFailed(bool decrypt, const std::filesystem::path& path, const std::string& reason);
std::string writeFailed(bool decrypt, const std::filesystem::path& path, const std::string& reason);

// Refusals before anything is written.
std::string sameFile(const std::filesystem::path& input, const std::filesystem::path& output);
std::string outputExists(bool decrypt, const std::filesystem::path& output);
std::string unexpectedFailure(const std::filesystem::path& input, const std::string& what);

// Folder runs.
std::string folderQuestion(bool decrypt, const std::filesystem::path& source, const std::filesystem::path& target);
std::string sourceFolderUnreadable(const std::filesystem::path& source, const std::string& reason);
std::string mirrorMeetsSource(const std::filesystem::path& source, const std::filesystem::path& mirror);

} // namespace kelvara::messages
