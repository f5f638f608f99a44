// The settings file's content in memory: an INI text read once at start and written once at the end.
#pragma once

#include "settings/text_encoding.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara {

// Holds the sections and entries of one INI file. Reading keeps only sections, entries and the other lines
// inside a section (comments, blank lines and lines before the first section are dropped); writing replaces
// values in place, adds new keys at the end of their section and new sections at the end. Section and key
// names compare without regard to case. Text is UTF-8 in memory and keeps the file's encoding on disk.
class IniFile {
public:
    explicit IniFile(std::filesystem::path path);

    // Reads the whole file, replacing the content in memory. No file gives empty content. Remembers the
    // encoding and whether the file was read-only. A file that exists but cannot be read is never written.
    void load();

    // Writes the whole content to the file through a temporary file and a rename. Writes nothing, and returns
    // false, when the file was read-only when it was loaded (or is now), or could not be read. Returns false on
    // any failure; nothing is thrown. True means the file now holds the content.
    bool save();

    // The trimmed value of a key, or nothing when the section or the key is missing.
    std::optional<std::string> readString(std::string_view section, std::string_view key) const;
    // Replaces the value of the key in place, or adds the key at the end of its section (the section at the end
    // of the content). Line breaks in the value would split the entry and are written as blanks.
    void writeString(std::string_view section, std::string_view key, std::string_view value);

    // A decimal integer value. An empty value counts as 0; a missing or malformed one gives `fallback`.
    int readInteger(std::string_view section, std::string_view key, int fallback) const;
    void writeInteger(std::string_view section, std::string_view key, int value);

    // The content as it is written: UTF-8, lines ending in CR LF, an empty line after each section.
    std::string text() const;

    const std::filesystem::path& path() const { return m_path; }
    TextEncoding encoding() const { return m_encoding; }

private:
    struct Line {
        bool isEntry = false;
        std::string key;   // entries only
        std::string value; // entries only
        std::string text;  // other lines, kept as read
    };
    struct Section {
        std::string name;
        std::vector<Line> lines;
    };

    void parse(std::string_view content);
    const Section* findSection(std::string_view name) const;
    Section* findSection(std::string_view name);

    std::filesystem::path m_path;
    std::vector<Section> m_sections;
    TextEncoding m_encoding = TextEncoding::cp1252;
    bool m_readOnly = false;
    bool m_unreadable = false;
};

} // namespace kelvara
