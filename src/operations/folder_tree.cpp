// The mirror rule and the folder run: refuse overlapping trees, ask, build the structure, then process the files.
#include "operations/folder_tree.h"

#include "operations/messages.h"
#include "operations/same_file.h"

#include <algorithm>
#include <system_error>

namespace kelvara {
namespace {

// An absolute, normalised folder path without a trailing separator (the root itself keeps its one).
std::filesystem::path normalFolder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::path result = std::filesystem::absolute(folder, error).lexically_normal();
    if (error)
        result = folder.lexically_normal();
    if (!result.has_filename() && result.has_relative_path())
        result = result.parent_path();
    return result;
}

long long lastPosition(std::size_t count) {
    return count == 0 ? 0 : static_cast<long long>(count) - 1;
}

int severity(FileResult result) {
    switch (result) {
    case FileResult::success:
        return 0;
    case FileResult::wrongPassword:
        return 1;
    case FileResult::inputError:
    case FileResult::outputError:
        return 2;
    }
    return 2;
}

// Creates every folder of the mirror; one that cannot be made is passed over: its files then fail one by one.
void structurePhase(const std::filesystem::path& source, const std::filesystem::path& target,
                    const std::vector<std::filesystem::path>& folders, UserInterface& ui) {
    const long long maximum = lastPosition(folders.size());
    ui.progressBegin(std::string(messages::structurePhase), maximum);
    ui.progressPosition(0);
    long long position = 0;
    for (const auto& folder : folders) {
        std::error_code error;
        std::filesystem::create_directories(mirrorPath(target, folder), error);
        ui.progressPosition(std::min(++position, maximum));
    }
    std::error_code error;
    std::filesystem::create_directories(mirrorPath(target, source), error);
    ui.progressEnd();
}

} // namespace

std::filesystem::path mirrorPath(const std::filesystem::path& targetFolder, const std::filesystem::path& sourcePath) {
    return targetFolder / sourcePath.relative_path();
}

FolderRunSummary runFolderTree(FolderDirection direction, const std::filesystem::path& sourceFolder,
                               const std::filesystem::path& targetFolder,
                               const std::function<std::u16string()>& password, UserInterface& ui, bool askConfirmation,
                               bool replaceExisting) {
    const bool decrypt = direction == FolderDirection::decrypt;
    FolderRunSummary summary;
    const std::filesystem::path source = normalFolder(sourceFolder);
    const std::filesystem::path target = normalFolder(targetFolder);

    std::error_code error;
    if (!std::filesystem::is_directory(source, error)) {
        const std::string reason = error ? error.message() : std::make_error_code(std::errc::not_a_directory).message();
        ui.showMessage(messages::sourceFolderUnreadable(source, reason));
        summary.worst = FileResult::inputError;
        return summary;
    }
    // Every output lies below the source's mirror; when that meets the source tree, outputs would
    // overwrite inputs (or later runs would take outputs for inputs), so nothing is started.
    const std::filesystem::path mirror = mirrorPath(target, source);
    if (isAtOrBelow(mirror, source) || isAtOrBelow(source, mirror)) {
        ui.showMessage(messages::mirrorMeetsSource(source, mirror));
        summary.worst = FileResult::outputError;
        return summary;
    }

    std::vector<std::filesystem::path> files;
    std::vector<std::filesystem::path> folders;
    collectFiles(source, files, true);
    collectFolders(source, folders, true);

    if (askConfirmation && !ui.askYesNo(messages::folderQuestion(decrypt, sourceFolder, targetFolder)))
        return summary;
    summary.started = true;

    structurePhase(source, target, folders, ui);

    const long long maximum = lastPosition(files.size());
    ui.progressBegin(std::string(decrypt ? messages::decryptPhase : messages::encryptPhase), maximum);
    ui.progressPosition(0);
    long long position = 0;
    for (const auto& file : files) {
        const std::filesystem::path output = mirrorPath(target, file);
        std::u16string currentPassword = password();
        const FileResult result = decrypt
                                      ? decryptSingleFile(file, output, currentPassword, false, ui, replaceExisting)
                                      : encryptSingleFile(file, output, currentPassword, false, ui, replaceExisting);
        std::fill(currentPassword.begin(), currentPassword.end(), u'\0');
        ++summary.files;
        if (result != FileResult::success) {
            ++summary.failures;
            if (severity(result) > severity(summary.worst))
                summary.worst = result;
        }
        ui.progressPosition(std::min(++position, maximum));
    }
    ui.progressEnd();
    return summary;
}

} // namespace kelvara
