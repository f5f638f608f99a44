// The rule by which a symbolic link in a shared sticky folder is followed, shared by every platform.
#include "operations/system_file.h"

namespace kelvara {

bool mayFollowLink(unsigned folderMode, std::int64_t folderOwner, std::int64_t linkOwner, std::int64_t caller) {
    constexpr unsigned sticky = 01000;
    constexpr unsigned othersWrite = 0002;
    const bool shared = (folderMode & sticky) != 0 && (folderMode & othersWrite) != 0;
    return !shared || linkOwner == caller || linkOwner == folderOwner;
}

} // namespace kelvara
