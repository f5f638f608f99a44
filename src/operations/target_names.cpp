// Proposed target names for the encrypt and decrypt actions.
#include "operations/target_names.h"

namespace kelvara {
namespace {

std::size_t nameStart(std::u16string_view path) {
    const std::size_t separator = path.find_last_of(u"\\/:");
    return separator == std::u16string_view::npos ? 0 : separator + 1;
}

template <class CharT>
std::basic_string<CharT> removeAll(std::basic_string_view<CharT> name, std::basic_string_view<CharT> part) {
    std::basic_string<CharT> result;
    result.reserve(name.size());
    std::size_t from = 0;
    for (std::size_t hit = name.find(part); hit != name.npos; hit = name.find(part, from)) {
        result.append(name.substr(from, hit - from));
        from = hit + part.size();
    }
    result.append(name.substr(from));
    return result;
}

} // namespace

std::u16string fileNamePart(std::u16string_view path) {
    return std::u16string(path.substr(nameStart(path)));
}

std::u16string proposeEncryptedName(std::u16string_view sourcePath) {
    return fileNamePart(sourcePath) + std::u16string(encryptedExtension);
}

std::u16string proposeDecryptedName(std::u16string_view sourcePath) {
    return removeEncryptedExtension(fileNamePart(sourcePath));
}

std::u16string removeEncryptedExtension(std::u16string_view name) {
    return removeAll(name, encryptedExtension);
}

std::string removeEncryptedExtension(std::string_view name) {
    return removeAll(name, std::string_view(".kvra"));
}

std::u16string extensionOf(std::u16string_view path) {
    const std::size_t start = nameStart(path);
    const std::size_t dot = path.rfind(u'.');
    if (dot == std::u16string_view::npos || dot < start)
        return {};
    return std::u16string(path.substr(dot));
}

bool hasEncryptedExtension(std::u16string_view path) {
    return extensionOf(path) == encryptedExtension;
}

} // namespace kelvara
