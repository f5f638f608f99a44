// The texts of a folder run's question and phases, shown as they are by the window and the tool.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kelvara::messages {

inline constexpr std::string_view structurePhase = "Ordnerstruktur wird erstellt !";
inline constexpr std::string_view encryptPhase = "Daten werden verschlüsselt !";
inline constexpr std::string_view decryptPhase = "Daten werden entschlüsselt !";

std::string folderQuestion(bool decrypt, const std::filesystem::path& source, const std::filesystem::path& target);

} // namespace kelvara::messages
