// The folder run's question, naming both folders.
#include "operations/messages.h"

#include "operations/notice.h"

namespace kelvara::messages {

std::string folderQuestion(bool decrypt, const std::filesystem::path& source, const std::filesystem::path& target) {
    return "Sollen die Daten von " + pathText(source) + " nach " + pathText(target) +
           (decrypt ? " entschlüsselt werden ?" : " verschlüsselt werden ?");
}

} // namespace kelvara::messages
