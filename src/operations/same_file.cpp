// Same-file and containment checks that see through links and other spellings of a path.
#include "operations/same_file.h"

#include "operations/file_facts.h"

#include <system_error>

namespace kelvara {
namespace {

std::filesystem::path canonicalAsFarAsPossible(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path result = std::filesystem::weakly_canonical(path, error);
    if (error)
        result = std::filesystem::absolute(path, error).lexically_normal();
    return result;
}

} // namespace

bool namesSameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    // Two existing files are the same when their identities are; the path spelling does not matter then.
    FileIdentity first;
    FileIdentity second;
    if (identifyFile(a, first) && identifyFile(b, second))
        return first == second;
    return canonicalAsFarAsPossible(a) == canonicalAsFarAsPossible(b);
}

bool isAtOrBelow(const std::filesystem::path& path, const std::filesystem::path& folder) {
    const std::filesystem::path canonicalPath = canonicalAsFarAsPossible(path);
    // An existing folder is recognised by its identity among the existing folders above path: that also sees
    // through spellings that compare unequal as text, such as another letter case on Windows.
    FileIdentity folderIdentity;
    if (identifyFile(folder, folderIdentity)) {
        for (std::filesystem::path ancestor = canonicalPath;; ancestor = ancestor.parent_path()) {
            FileIdentity identity;
            if (identifyFile(ancestor, identity) && identity == folderIdentity)
                return true;
            if (!ancestor.has_relative_path())
                return false;
        }
    }
    const std::filesystem::path relative = canonicalPath.lexically_relative(canonicalAsFarAsPossible(folder));
    if (relative.empty())
        return false;
    const auto first = relative.begin();
    return *first != "..";
}

} // namespace kelvara
