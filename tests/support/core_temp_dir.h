// A temporary folder for core tests, removed with everything in it; plus small file helpers.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

namespace kelvara::test {

class TempDir {
public:
    TempDir() {
#ifdef _WIN32
        // No mkdtemp on Windows: a random name, taken only when create_directory made it new.
        std::random_device random;
        for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
            auto candidate = std::filesystem::temp_directory_path() / ("kelvara-test-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate))
                m_path = candidate;
        }
        if (m_path.empty())
            throw std::runtime_error("no temporary folder");
#else
        std::string pattern = (std::filesystem::temp_directory_path() / "kelvara-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
#endif
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code error;
        // Read-only folders made by a test would stop the removal.
        for (auto it = std::filesystem::recursive_directory_iterator(m_path, error);
             !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
            if (it->is_directory(error) && !it->is_symlink(error))
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, error);
        }
        std::filesystem::remove_all(m_path, error);
    }

    const std::filesystem::path& path() const {
        return m_path;
    }
    std::filesystem::path operator/(const std::filesystem::path& name) const {
        return m_path / name;
    }

private:
    std::filesystem::path m_path;
};

// base followed by the number n, e.g. "f3" (built as a path: GCC 12 at -O3 misreads "f" + std::string as
// overlapping copies).
inline std::filesystem::path numbered(std::filesystem::path base, int n) {
    base += std::to_string(n);
    return base;
}

inline void writeFile(const std::filesystem::path& path, std::string_view content) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path.string());
}

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot read " + path.string());
    std::ostringstream content;
    content << file.rdbuf();
    return std::move(content).str();
}

// Bytes that differ from position to position and between seeds.
inline std::string patternBytes(std::size_t size, unsigned seed = 1) {
    std::string bytes(size, '\0');
    std::uint32_t state = seed * 2654435761u + 12345u;
    for (auto& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

// Every path below folder (files, folders, links), relative to it, with "/" between names on every system.
inline std::set<std::string> treeEntries(const std::filesystem::path& folder) {
    std::set<std::string> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        entries.insert(entry.path().lexically_relative(folder).generic_string());
    return entries;
}

} // namespace kelvara::test
