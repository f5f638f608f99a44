// Same-file and containment checks that see through links and other spellings of a path.
#include "operations/same_file.h"

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
    std::error_code error;
    if (std::filesystem::exists(a, error) && std::filesystem::exists(b, error)) {
        const bool same = std::filesystem::equivalent(a, b, error);
        if (!error)
            return same;
    }
    return canonicalAsFarAsPossible(a) == canonicalAsFarAsPossible(b);
}

bool isAtOrBelow(const std::filesystem::path& path, const std::filesystem::path& folder) {
    const std::filesystem::path relative =
        canonicalAsFarAsPossible(path).lexically_relative(canonicalAsFarAsPossible(folder));
    if (relative.empty())
        return false;
    const auto first = relative.begin();
    return *first != "..";
}

} // namespace kelvara
