// English lines for the notices; the wrong-password line keeps the window's words for scripts that look for them.
#include "cli/notice_text.h"

#include "cli/path_text.h"

namespace kelvara::cli {
namespace {

std::string withReason(const std::string& text, const std::string& reason) {
    return reason.empty() ? text : text + ": " + escapeControls(reason);
}

} // namespace

std::string noticeText(const Notice& notice) {
    const std::string path = shownPath(notice.path);
    const std::string& reason = notice.reason;
    switch (notice.kind) {
    case NoticeKind::inputOpenFailed:
        return withReason("cannot open " + path, reason);
    case NoticeKind::outputOpenFailed:
        return withReason("cannot create " + path, reason);
    case NoticeKind::outputNotRegular:
        return path + " is not a regular file; it is never replaced";
    case NoticeKind::outputExists:
        return path + " already exists";
    case NoticeKind::outputLinkRefused:
        return path + " is a symbolic link of another user in a shared sticky folder; it is not followed and "
                      "nothing was written";
    case NoticeKind::sameFile:
        return "input and output are the same file: " + path + " -> " + shownPath(notice.other);
    case NoticeKind::readFailed:
        return withReason("cannot read " + path, reason);
    case NoticeKind::writeFailed:
        return withReason("cannot write " + path, reason);
    case NoticeKind::inputChanged:
        return path + " changed while it was read; nothing was written";
    case NoticeKind::notEncrypted:
        return path + " is not an encrypted file (shorter than the 32-byte check block)";
    case NoticeKind::wrongPassword:
        return path + ": wrong password (Falsches Passwort)";
    case NoticeKind::encrypted:
        return "encrypted into " + path;
    case NoticeKind::decrypted:
        return "decrypted into " + path;
    case NoticeKind::unexpectedFailure:
        return withReason("cannot process " + path, reason);
    case NoticeKind::sourceFolderUnreadable:
        return withReason("cannot read the source folder " + path, reason);
    case NoticeKind::mirrorMeetsSource:
        return "unsuitable target: the output " + shownPath(notice.other) + " would meet the source folder " + path +
               "; nothing was created";
    case NoticeKind::folderUnreadable:
        return withReason("cannot read " + path + " (left out)", reason);
    case NoticeKind::mirrorFolderFailed:
        return withReason("cannot create the folder " + path, reason);
    case NoticeKind::mirrorLink:
        return path + " is a symbolic link inside the target; nothing is written through it";
    case NoticeKind::specialFileSkipped:
        return path + " is not a regular file; skipped";
    }
    return withReason(path, reason);
}

} // namespace kelvara::cli
