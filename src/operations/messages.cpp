// The operations' German texts that name a file or a folder.
#include "operations/messages.h"

namespace kelvara::messages {

std::string pathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string fileReason(const std::filesystem::path& path, const std::string& reason) {
    return pathText(path) + ": " + reason;
}

std::string readFailed(bool decrypt, const std::filesystem::path& path, const std::string& reason) {
    return std::string(decrypt ? "Datei (Eingang)" : "Datei (Eingabe)") +
           " kann nicht gelesen werden: " + fileReason(path, reason);
}

std::string writeFailed(bool decrypt, const std::filesystem::path& path, const std::string& reason) {
    return std::string(decrypt ? "Datei (Ausgang)" : "Datei (Ausgabe)") +
           " kann nicht geschrieben werden: " + fileReason(path, reason);
}

std::string sameFile(const std::filesystem::path& input, const std::filesystem::path& output) {
    return "Eingabe und Ausgabe sind dieselbe Datei, sie würde überschrieben: " + pathText(input) + " -> " +
           pathText(output);
}

std::string outputExists(bool decrypt, const std::filesystem::path& output) {
    return std::string(decrypt ? "Datei (Ausgang)" : "Datei (Ausgabe)") +
           " existiert bereits und wird nicht ersetzt: " + pathText(output);
}

std::string unexpectedFailure(const std::filesystem::path& input, const std::string& what) {
    return "Datei kann nicht verarbeitet werden: " + fileReason(input, what);
}

std::string folderQuestion(bool decrypt, const std::filesystem::path& source, const std::filesystem::path& target) {
    return "Sollen die Daten von " + pathText(source) + " nach " + pathText(target) +
           (decrypt ? " entschlüsselt werden ?" : " verschlüsselt werden ?");
}

std::string sourceFolderUnreadable(const std::filesystem::path& source, const std::string& reason) {
    return "Quellordner kann nicht gelesen werden: " + fileReason(source, reason);
}

std::string mirrorMeetsSource(const std::filesystem::path& source, const std::filesystem::path& mirror) {
    return "Zielordner ungeeignet: die Ausgabe " + pathText(mirror) + " würde den Quellordner " + pathText(source) +
           " treffen. Nichts wurde angelegt.";
}

} // namespace kelvara::messages
