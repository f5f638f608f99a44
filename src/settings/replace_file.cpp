// Whole-file replacement through a temporary file and a rename.
#include "settings/replace_file.h"

#include "settings/durable_file.h"

#include <cstdio>
#include <random>
#include <string>
#include <system_error>

namespace kelvara {

namespace fs = std::filesystem;

namespace {

// Closes the temporary file and removes it unless the rename has taken it over.
class TemporaryFile {
public:
    explicit TemporaryFile(const fs::path& target) {
        std::random_device random;
        for (int attempt = 0; attempt < 16 && m_file == nullptr; ++attempt) {
            m_path = target;
            m_path += ".tmp-" + std::to_string(random());
            // Fails instead of opening a file that already exists (or a link someone placed there).
            m_file = createNewFile(m_path);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        close();
        if (!m_kept) {
            std::error_code ignored;
            fs::remove(m_path, ignored);
        }
    }

    bool isOpen() const { return m_file != nullptr; }
    const fs::path& path() const { return m_path; }

    bool writeAndSync(std::string_view bytes) {
        if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size() || std::fflush(m_file) != 0 ||
            !flushToDisk(m_file))
            return false;
        return close();
    }

    void keep() { m_kept = true; }

private:
    bool close() {
        if (m_file == nullptr)
            return true;
        const bool closed = std::fclose(m_file) == 0;
        m_file = nullptr;
        return closed;
    }

    fs::path m_path;
    std::FILE* m_file = nullptr;
    bool m_kept = false;
};

} // namespace

bool replaceFileContents(const fs::path& path, std::string_view bytes) {
    std::error_code error;
    fs::path target = path;
    if (fs::is_symlink(target, error)) {
        target = fs::canonical(path, error);
        if (error)
            return false;
    }
    if (target.has_parent_path()) {
        fs::create_directories(target.parent_path(), error);
        if (error)
            return false;
    }

    TemporaryFile temporary(target);
    if (!temporary.isOpen() || !temporary.writeAndSync(bytes))
        return false;

    const auto status = fs::status(target, error);
    if (!error && fs::is_regular_file(status)) {
        fs::permissions(temporary.path(), status.permissions(), fs::perm_options::replace, error);
        if (error)
            return false;
    }
    if (!renameOver(temporary.path(), target))
        return false;
    temporary.keep();
    return true;
}

} // namespace kelvara
