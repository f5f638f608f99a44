// Reading, editing and writing the INI content of the settings file.
#include "settings/ini_file.h"

#include "settings/ini_values.h"
#include "settings/replace_file.h"
#include "text/utf8.h"

#include <fstream>
#include <system_error>
#include <utility>

namespace kelvara {

namespace fs = std::filesystem;

namespace {

// Blanks and control characters, as the system's trim removes them.
bool isTrimmed(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && isTrimmed(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isTrimmed(text.back()))
        text.remove_suffix(1);
    return text;
}

// Lower case for comparing names: ASCII letters and the Latin-1 letters (umlauts and accented letters).
char32_t foldCase(char32_t c) {
    if (c >= 'A' && c <= 'Z')
        return c + 0x20;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 0x20;
    return c;
}

bool sameName(std::string_view a, std::string_view b) {
    const std::u32string left = utf8ToCodePoints(a);
    const std::u32string right = utf8ToCodePoints(b);
    if (left.size() != right.size())
        return false;
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (foldCase(left[i]) != foldCase(right[i]))
            return false;
    }
    return true;
}

// A file counts as read-only when its owner may not write it (the read-only attribute on Windows). Checked by
// the permission bits, since an administrator could still write the file.
bool isReadOnly(const fs::file_status& status) {
    return fs::is_regular_file(status) && (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

std::string withoutLineBreaks(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return out;
}

} // namespace

IniFile::IniFile(fs::path path) : m_path(std::move(path)) {}

void IniFile::load() {
    m_sections.clear();
    m_encoding = TextEncoding::cp1252;
    m_readOnly = false;
    m_unreadable = false;

    std::error_code error;
    const fs::file_status status = fs::status(m_path, error);
    if (status.type() == fs::file_type::not_found)
        return;
    // Something is there that cannot be read as a file: never replace it with our own content.
    m_unreadable = !fs::is_regular_file(status);
    if (m_unreadable)
        return;
    m_readOnly = isReadOnly(status);

    std::ifstream in(m_path, std::ios::binary);
    if (!in.is_open()) {
        m_unreadable = true;
        return;
    }
    std::string bytes;
    char block[4096];
    while (in.read(block, sizeof block), in.gcount() > 0)
        bytes.append(block, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) {
        m_unreadable = true;
        return;
    }
    const DetectedEncoding detected = detectEncoding(bytes);
    m_encoding = detected.encoding;
    parse(decodeToUtf8(std::string_view(bytes).substr(detected.markLength), m_encoding));
}

void IniFile::parse(std::string_view content) {
    Section* current = nullptr;
    std::size_t start = 0;
    while (start < content.size()) {
        // A line ends at CR LF, a lone CR or a lone LF.
        std::size_t end = content.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = content.size();
        const std::string_view line = trim(content.substr(start, end - start));
        start = end;
        if (content.substr(start, 2) == "\r\n")
            start += 2;
        else if (start < content.size())
            ++start;

        if (line.empty() || line.front() == ';')
            continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            // A section named twice continues the first one, so that no entry hides behind another.
            const std::string name(trim(line.substr(1, line.size() - 2)));
            current = findSection(name);
            if (current == nullptr)
                current = &m_sections.emplace_back(Section{name, {}});
            continue;
        }
        if (current == nullptr)
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            current->lines.push_back(Line{false, {}, {}, std::string(line)});
        else
            current->lines.push_back(
                Line{true, std::string(trim(line.substr(0, equals))), std::string(trim(line.substr(equals + 1))), {}});
    }
}

bool IniFile::save() {
    if (m_readOnly || m_unreadable)
        return false;
    // The rename would replace even a write-protected file, so a file made read-only since the start is
    // left alone as well.
    std::error_code error;
    if (isReadOnly(fs::status(m_path, error)))
        return false;
    return replaceFileContents(m_path, byteOrderMark(m_encoding) + encodeFromUtf8(text(), m_encoding));
}

const IniFile::Section* IniFile::findSection(std::string_view name) const {
    for (const Section& section : m_sections) {
        if (sameName(section.name, name))
            return &section;
    }
    return nullptr;
}

IniFile::Section* IniFile::findSection(std::string_view name) {
    return const_cast<Section*>(std::as_const(*this).findSection(name));
}

std::optional<std::string> IniFile::readString(std::string_view section, std::string_view key) const {
    const Section* found = findSection(section);
    if (found == nullptr)
        return std::nullopt;
    for (const Line& line : found->lines) {
        if (line.isEntry && sameName(line.key, key))
            return line.value;
    }
    return std::nullopt;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    Section* target = findSection(section);
    if (target == nullptr)
        target = &m_sections.emplace_back(Section{withoutLineBreaks(section), {}});
    for (Line& line : target->lines) {
        if (line.isEntry && sameName(line.key, key)) {
            line.value = withoutLineBreaks(value);
            return;
        }
    }
    target->lines.push_back(Line{true, withoutLineBreaks(key), withoutLineBreaks(value), {}});
}

int IniFile::readInteger(std::string_view section, std::string_view key, int fallback) const {
    const std::optional<std::string> value = readString(section, key);
    if (!value)
        return fallback;
    return parseInteger(*value).value_or(fallback);
}

void IniFile::writeInteger(std::string_view section, std::string_view key, int value) {
    writeString(section, key, std::to_string(value));
}

std::string IniFile::text() const {
    std::string out;
    for (const Section& section : m_sections) {
        out += '[' + section.name + "]\r\n";
        for (const Line& line : section.lines)
            out += (line.isEntry ? line.key + '=' + line.value : line.text) + "\r\n";
        out += "\r\n";
    }
    return out;
}

} // namespace kelvara
