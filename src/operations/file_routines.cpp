// transformSingleFile, transformFileInto and verifySingleFile: the .kvra format streamed through the cipher.
#include "operations/file_routines.h"

#include "cipher/blowfish.h"
#include "operations/chunk_pipeline.h"
#include "operations/file_facts.h"
#include "operations/file_key.h"
#include "operations/same_file.h"
#include "operations/wiped_buffer.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <system_error>

namespace kelvara {
namespace {

constexpr std::uint64_t progressStepBytes = 1024 * 1024;
static_assert(chunkLeadBytes == BlockCipher64::blockBytes, "a chunk's lead is the CBC chaining value");

// Where the output goes: standard output, or a name in an opened folder.
struct Target {
    const OutputFolder* folder = nullptr; // null: standard output
    std::filesystem::path name;
    std::filesystem::path shown;        // the path the user knows the output by
    bool refuseLink = false;            // folder runs never write through a link
    DeferredOutput* deferred = nullptr; // folder runs put small outputs in place in batches
};

class Reporter {
public:
    Reporter(UserInterface& ui, Direction direction) : m_ui(ui), m_decrypting(direction == Direction::decrypt) {}

    FileResult operator()(FileResult result, NoticeKind kind, const std::filesystem::path& path,
                          std::string reason = {}, const std::filesystem::path& other = {}) const {
        m_ui.notify(Notice{kind, m_decrypting, path, other, std::move(reason)});
        return result;
    }
    UserInterface& ui() const { return m_ui; }

private:
    UserInterface& m_ui;
    bool m_decrypting;
};

bool openInput(InputFile& input, const FileSource& source, std::string& reason) {
    return source.standard ? input.openStandardInput(reason) : input.open(source.path, reason);
}

// Reads the check block and compares it; nothing is written before this has succeeded.
FileResult readAndCompareCheckBlock(InputFile& input, const std::uint8_t (&expected)[checkBlockBytes],
                                    const std::filesystem::path& inputPath, const Reporter& report) {
    WipedBuffer<checkBlockBytes> stored;
    std::string reason;
    const std::ptrdiff_t n = input.readFull(stored.bytes, checkBlockBytes, reason);
    if (n < 0)
        return report(FileResult::inputError, NoticeKind::readFailed, inputPath, reason);
    // Shorter than the check block: no encrypted file at all (empty or cut off), whatever the password.
    if (static_cast<std::size_t>(n) < checkBlockBytes)
        return report(FileResult::inputError, NoticeKind::notEncrypted, inputPath);
    if (std::memcmp(stored.bytes, expected, checkBlockBytes) != 0)
        return report(FileResult::wrongPassword, NoticeKind::wrongPassword, inputPath);
    return FileResult::success;
}

// Streams the rest of the input through the cipher into the output. Encrypting, the chaining runs on from
// chunk to chunk, so the body is one CBC pass whatever the chunk size. Decrypting, each block needs only the
// ciphertext block before it, so a body of several chunks is decrypted by helper threads chunk by chunk,
// each chunk from the lead bytes before it, and written in order: the same bytes as one pass.
FileResult streamBody(Direction direction, Blowfish& cipher, InputFile& input, OutputSink& output,
                      const std::filesystem::path& inputPath, const std::filesystem::path& outputPath,
                      const Reporter& report) {
    const bool decrypt = direction == Direction::decrypt;
    // The body is what is left of the input: when decrypting, the check block has been read already.
    const std::uint64_t consumed = decrypt ? checkBlockBytes : 0;
    const std::uint64_t total = input.size() > consumed ? input.size() - consumed : 0;
    input.adviseSequential();
    UserInterface& ui = report.ui();
    ui.fileProgress(0, total);
    std::uint64_t reported = 0;

    ChunkPlan plan;
    const bool severalChunks = !input.sizeKnown() || total > plan.chunkBytes;
    const HelperThreads helpers(decrypt && severalChunks ? HelperThreads::processLimit() : 0);
    plan.helpers = helpers.count();
    WipedBuffer<BlockCipher64::blockBytes> start; // the IV, the chaining value of the first chunk
    cipher.chainingValue(start.bytes);
    const auto transform = [&](const std::uint8_t* lead, std::uint8_t* bytes, std::size_t size) {
        if (decrypt)
            cipher.decryptCBCAfter(lead != nullptr ? lead : start.bytes, bytes, bytes,
                                   static_cast<std::uint32_t>(size));
        else
            cipher.encryptCBC(bytes, bytes, static_cast<std::uint32_t>(size));
    };
    const StreamOutcome outcome = streamChunks(
        input, output, transform,
        [&](std::uint64_t done) {
            if (done - reported >= progressStepBytes) {
                reported = done;
                ui.fileProgress(done, total);
            }
        },
        plan);
    switch (outcome.failure) {
    case StreamOutcome::Failure::read:
        return report(FileResult::inputError, NoticeKind::readFailed, inputPath, outcome.reason);
    case StreamOutcome::Failure::write:
        return report(FileResult::outputError, NoticeKind::writeFailed, outputPath, outcome.reason);
    case StreamOutcome::Failure::none:
        break;
    }
    // A file that grew or shrank while it was read gives an output that is neither the old nor the new file.
    if (input.sizeKnown() && outcome.bytes != total)
        return report(FileResult::inputError, NoticeKind::inputChanged, inputPath);
    ui.fileProgress(outcome.bytes, total);
    return FileResult::success;
}

// What may not be written at the target's name, checked before the password is even looked at.
std::optional<FileResult> refuseTarget(const Target& target, Existing existing, const Reporter& report) {
    switch (target.folder->entryType(target.name)) {
    case OutputFolder::Entry::missing:
        return std::nullopt;
    case OutputFolder::Entry::link:
        if (target.refuseLink)
            return report(FileResult::outputError, NoticeKind::mirrorLink, target.shown);
        break;
    case OutputFolder::Entry::other:
        return report(FileResult::outputError, NoticeKind::outputNotRegular, target.shown);
    case OutputFolder::Entry::regularFile:
        break;
    }
    if (existing == Existing::keep)
        return report(FileResult::outputError, NoticeKind::outputExists, target.shown);
    return std::nullopt;
}

FileResult runFile(Direction direction, InputFile& input, const std::filesystem::path& inputPath, const Target& target,
                   const FileKey& key, Report reportWhat, Existing existing, const Reporter& report) {
    const bool decrypt = direction == Direction::decrypt;
    std::string reason;
    if (target.folder != nullptr) {
        if (auto refused = refuseTarget(target, existing, report))
            return *refused;
    }

    // The cipher's tables are 4 KiB; on the heap so that worker threads with small stacks are fine.
    auto cipher = std::make_unique<Blowfish>(); // its destructor burns it on every way out
    key.keyCipher(*cipher);

    if (decrypt) {
        const FileResult checked = readAndCompareCheckBlock(input, key.checkBlock(), inputPath, report);
        if (checked != FileResult::success)
            return checked;
    }

    StandardOutput standardOutput;
    auto temporaryOutput = std::make_unique<TemporaryOutput>(); // on the heap, so that it can be handed over
    TemporaryOutput& temporary = *temporaryOutput;
    OutputSink* output = &standardOutput;
    if (target.folder != nullptr) {
        if (!temporary.create(*target.folder, target.name, reason))
            return report(FileResult::outputError, NoticeKind::outputOpenFailed, target.shown, reason);
        // A replaced file keeps its owner and its permissions; a new one gets the input's, as a copy would.
        // Neither ever gets setuid or setgid: a file someone handed in must not become their program.
        FileAccess access;
        if (target.folder->accessOf(target.name, access)) {
            access.permissions = keptFilePermissions(access.permissions);
        } else {
            access = FileAccess{newFilePermissions(input.permissions() != 0 ? input.permissions() : 0666)};
        }
        temporary.setFinalAccess(access);
        output = &temporary;
    }
    if (!decrypt && !output->writeAll(key.checkBlock(), checkBlockBytes, reason))
        return report(FileResult::outputError, NoticeKind::writeFailed, target.shown, reason);
    const FileResult streamed = streamBody(direction, *cipher, input, *output, inputPath, target.shown, report);
    cipher->burn();
    if (streamed != FileResult::success)
        return streamed;
    if (target.deferred != nullptr && temporary.written() <= target.deferred->maximumBytes) {
        if (!temporary.seal(reason))
            return report(FileResult::outputError, NoticeKind::writeFailed, target.shown, reason);
        target.deferred->output = std::move(temporaryOutput);
        target.deferred->shown = target.shown;
        return FileResult::success;
    }
    if (target.folder != nullptr) {
        const TemporaryOutput::Commit commit = temporary.commit(existing, reason);
        if (commit != TemporaryOutput::Commit::done)
            return tellCommit(direction, commit, target.shown, reason, report.ui());
    }
    if (reportWhat == Report::success)
        report(FileResult::success, decrypt ? NoticeKind::decrypted : NoticeKind::encrypted, target.shown);
    return FileResult::success;
}

FileResult runSingleFile(Direction direction, const FileSource& source, const FileDestination& destination,
                         const FileKey& key, Report reportWhat, UserInterface& ui, Existing existing) {
    const Reporter report(ui, direction);
    std::string reason;
    InputFile input;
    if (!openInput(input, source, reason))
        return report(FileResult::inputError, NoticeKind::inputOpenFailed, source.path, reason);
    if (destination.standard)
        return runFile(direction, input, source.path, Target{nullptr, {}, destination.path}, key, reportWhat, existing,
                       report);

    const std::filesystem::path& outputPath = destination.path;
    if (!source.standard && namesSameFile(source.path, outputPath))
        return report(FileResult::outputError, NoticeKind::sameFile, source.path, {}, outputPath);
    std::error_code error;
    if (existing == Existing::keep && std::filesystem::exists(std::filesystem::symlink_status(outputPath, error)))
        return report(FileResult::outputError, NoticeKind::outputExists, outputPath);
    // A link at the output is written through, as opening it would, but only where the system would follow it.
    OutputFolder folder;
    std::filesystem::path name;
    std::filesystem::path refusedLink;
    switch (folder.openOutput(outputPath, name, refusedLink, reason)) {
    case OutputFolder::Place::found:
        break;
    case OutputFolder::Place::linkRefused:
        return report(FileResult::outputError, NoticeKind::outputLinkRefused, refusedLink);
    case OutputFolder::Place::failed:
        return report(FileResult::outputError, NoticeKind::outputOpenFailed, outputPath, reason);
    }
    const std::filesystem::path target = folder.path() / name;
    const auto status = std::filesystem::status(target, error);
    if (std::filesystem::is_directory(status))
        return report(FileResult::outputError, NoticeKind::outputOpenFailed, outputPath, systemReason(EISDIR));
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        return report(FileResult::outputError, NoticeKind::outputNotRegular, outputPath);
    // An existing file that may not be written stays, as a failed open for writing would leave it.
    if (std::filesystem::exists(status)) {
        reason = writeRefusal(target);
        if (!reason.empty())
            return report(FileResult::outputError, NoticeKind::outputOpenFailed, outputPath, reason);
    }
    return runFile(direction, input, source.path, Target{&folder, name, outputPath}, key, reportWhat, existing, report);
}

FileResult runFileInto(Direction direction, const std::filesystem::path& inputPath, const OutputFolder& folder,
                       const std::filesystem::path& name, const FileKey& key, UserInterface& ui, Existing existing,
                       DeferredOutput* deferred) {
    const Reporter report(ui, direction);
    std::string reason;
    InputFile input;
    if (!input.open(inputPath, reason))
        return report(FileResult::inputError, NoticeKind::inputOpenFailed, inputPath, reason);
    return runFile(direction, input, inputPath, Target{&folder, name, folder.path() / name, true, deferred}, key,
                   Report::failures, existing, report);
}

// Nothing may escape to the caller unexplained: an unexpected exception becomes a notice.
template <class Run> FileResult guarded(const std::filesystem::path& inputPath, UserInterface& ui, Run run) {
    try {
        return run();
    } catch (const std::exception& failure) {
        ui.notify(Notice{NoticeKind::unexpectedFailure, false, inputPath, {}, failure.what()});
        return FileResult::inputError;
    }
}

} // namespace

FileResult transformSingleFile(Direction direction, const FileSource& input, const FileDestination& output,
                               std::u16string_view password, Report report, UserInterface& ui, Existing existing) {
    return guarded(input.path, ui, [&] {
        const FileKey key(password);
        return runSingleFile(direction, input, output, key, report, ui, existing);
    });
}

FileResult transformFileInto(Direction direction, const std::filesystem::path& input, const OutputFolder& folder,
                             const std::filesystem::path& name, const FileKey& key, UserInterface& ui,
                             Existing existing, DeferredOutput* deferred) {
    return guarded(input, ui, [&] { return runFileInto(direction, input, folder, name, key, ui, existing, deferred); });
}

FileResult tellCommit(Direction direction, TemporaryOutput::Commit commit, const std::filesystem::path& shown,
                      const std::string& reason, UserInterface& ui) {
    const Reporter report(ui, direction);
    switch (commit) {
    case TemporaryOutput::Commit::done:
        return FileResult::success;
    case TemporaryOutput::Commit::targetExists:
        return report(FileResult::outputError, NoticeKind::outputExists, shown);
    case TemporaryOutput::Commit::failed:
        break;
    }
    return report(FileResult::outputError, NoticeKind::writeFailed, shown, reason);
}

FileResult verifySingleFile(const FileSource& source, std::u16string_view password, UserInterface& ui) {
    return guarded(source.path, ui, [&] {
        const Reporter report(ui, Direction::decrypt);
        std::string reason;
        InputFile input;
        if (!openInput(input, source, reason))
            return report(FileResult::inputError, NoticeKind::inputOpenFailed, source.path, reason);
        auto cipher = std::make_unique<Blowfish>();
        WipedBuffer<checkBlockBytes> checkBlock;
        keyFileCipher(*cipher, password, checkBlock.bytes);
        cipher->burn();
        return readAndCompareCheckBlock(input, checkBlock.bytes, source.path, report);
    });
}

} // namespace kelvara
