// encryptSingleFile, decryptSingleFile and verifySingleFile: the .kvra format streamed through the cipher.
#include "operations/file_routines.h"

#include "cipher/blowfish.h"
#include "operations/chunk_pipeline.h"
#include "operations/file_facts.h"
#include "operations/file_key.h"
#include "operations/messages.h"
#include "operations/same_file.h"
#include "operations/secure_wipe.h"
#include "operations/system_file.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <memory>
#include <system_error>

namespace kelvara {
namespace {

constexpr std::uint64_t progressStepBytes = 1024 * 1024;

enum class Direction { encrypt, decrypt };

struct Texts {
    std::string_view inputOpen;
    std::string_view outputOpen;
    std::string_view done;
};

Texts textsFor(Direction direction) {
    if (direction == Direction::encrypt)
        return {messages::encryptInputOpen, messages::encryptOutputOpen, messages::encryptDone};
    return {messages::decryptInputOpen, messages::decryptOutputOpen, messages::decryptDone};
}

void report(UserInterface& ui, std::string_view text, const std::string& detail = {}) {
    if (!detail.empty())
        ui.showDetail(detail);
    ui.showMessage(std::string(text));
}

// The file that the output finally names: an existing link is written through, as opening it would.
std::filesystem::path finalTarget(const std::filesystem::path& output) {
    std::error_code error;
    if (std::filesystem::is_symlink(output, error)) {
        std::filesystem::path resolved = std::filesystem::canonical(output, error);
        if (!error)
            return resolved;
    }
    return output;
}

// Why an output path cannot take a new file, or empty when it can.
std::string outputObstacle(const std::filesystem::path& target) {
    std::error_code error;
    const auto status = std::filesystem::status(target, error);
    if (std::filesystem::is_directory(status))
        return systemReason(EISDIR);
    // An existing file that may not be written stays, as a failed open for writing would leave it.
    if (std::filesystem::exists(status))
        return writeRefusal(target);
    return {};
}

// Reads the check block; a short input counts as a wrong password, since it cannot be told from one.
FileResult readAndCompareCheckBlock(InputFile& input, const std::uint8_t (&expected)[checkBlockBytes],
                                    const std::filesystem::path& inputPath, UserInterface& ui) {
    WipedBuffer<checkBlockBytes> stored;
    std::string reason;
    const std::ptrdiff_t n = input.readFull(stored.bytes, checkBlockBytes, reason);
    if (n < 0) {
        report(ui, messages::readFailed(true, inputPath, reason));
        return FileResult::inputError;
    }
    if (static_cast<std::size_t>(n) < checkBlockBytes || std::memcmp(stored.bytes, expected, checkBlockBytes) != 0) {
        report(ui, messages::wrongPassword);
        return FileResult::wrongPassword;
    }
    return FileResult::success;
}

// Streams the rest of the input through the cipher into the output. The chaining runs on from chunk to
// chunk, so the body is one CBC pass whatever the chunk size.
FileResult streamBody(Direction direction, Blowfish& cipher, InputFile& input, TemporaryOutput& output,
                      const std::filesystem::path& inputPath, const std::filesystem::path& outputPath,
                      UserInterface& ui) {
    const bool decrypt = direction == Direction::decrypt;
    // The body is what is left of the input: when decrypting, the check block has been read already.
    const std::uint64_t inputBytes = input.size();
    const std::uint64_t consumed = decrypt ? checkBlockBytes : 0;
    const std::uint64_t total = inputBytes > consumed ? inputBytes - consumed : 0;
    input.adviseSequential();
    ui.fileProgress(0, total);
    std::uint64_t reported = 0;
    const StreamOutcome outcome = streamChunks(
        input, output,
        [&](std::uint8_t* bytes, std::size_t size) {
            if (decrypt)
                cipher.decryptCBC(bytes, bytes, static_cast<std::uint32_t>(size));
            else
                cipher.encryptCBC(bytes, bytes, static_cast<std::uint32_t>(size));
        },
        [&](std::uint64_t done) {
            if (done - reported >= progressStepBytes) {
                reported = done;
                ui.fileProgress(done, total);
            }
        });
    switch (outcome.failure) {
    case StreamOutcome::Failure::read:
        report(ui, messages::readFailed(decrypt, inputPath, outcome.reason));
        return FileResult::inputError;
    case StreamOutcome::Failure::write:
        report(ui, messages::writeFailed(decrypt, outputPath, outcome.reason));
        return FileResult::outputError;
    case StreamOutcome::Failure::none:
        break;
    }
    ui.fileProgress(outcome.bytes, total);
    return FileResult::success;
}

FileResult runSingleFile(Direction direction, const std::filesystem::path& inputPath,
                         const std::filesystem::path& outputPath, const std::u16string& password, bool reportSuccess,
                         UserInterface& ui, bool replaceExisting) {
    const Texts texts = textsFor(direction);
    const bool decrypt = direction == Direction::decrypt;
    std::string reason;

    InputFile input;
    if (!input.open(inputPath, reason)) {
        report(ui, texts.inputOpen, messages::fileReason(inputPath, reason));
        return FileResult::inputError;
    }
    if (namesSameFile(inputPath, outputPath)) {
        report(ui, messages::sameFile(inputPath, outputPath));
        return FileResult::outputError;
    }
    std::error_code error;
    if (!replaceExisting && std::filesystem::exists(std::filesystem::symlink_status(outputPath, error))) {
        report(ui, messages::outputExists(decrypt, outputPath));
        return FileResult::outputError;
    }
    const std::filesystem::path target = finalTarget(outputPath);
    reason = outputObstacle(target);
    if (!reason.empty()) {
        report(ui, texts.outputOpen, messages::fileReason(outputPath, reason));
        return FileResult::outputError;
    }

    // The cipher's tables are 4 KiB; on the heap so that worker threads with small stacks are fine.
    auto cipher = std::make_unique<Blowfish>(); // its destructor burns it on every way out
    WipedBuffer<checkBlockBytes> checkBlock;
    keyFileCipher(*cipher, password, checkBlock.bytes);

    if (decrypt) {
        const FileResult checked = readAndCompareCheckBlock(input, checkBlock.bytes, inputPath, ui);
        if (checked != FileResult::success)
            return checked;
    }

    TemporaryOutput output;
    if (!output.create(target, reason)) {
        report(ui, texts.outputOpen, messages::fileReason(outputPath, reason));
        return FileResult::outputError;
    }
    if (!decrypt && !output.writeAll(checkBlock.bytes, checkBlockBytes, reason)) {
        report(ui, messages::writeFailed(false, outputPath, reason));
        return FileResult::outputError;
    }
    const FileResult streamed = streamBody(direction, *cipher, input, output, inputPath, outputPath, ui);
    cipher->burn();
    if (streamed != FileResult::success)
        return streamed;
    if (!output.commit(reason)) {
        report(ui, messages::writeFailed(decrypt, outputPath, reason));
        return FileResult::outputError;
    }
    if (reportSuccess)
        report(ui, texts.done);
    return FileResult::success;
}

// Nothing may escape to the caller unexplained: an unexpected exception becomes a message.
template <class Run> FileResult guarded(const std::filesystem::path& inputPath, UserInterface& ui, Run run) {
    try {
        return run();
    } catch (const std::exception& failure) {
        report(ui, messages::unexpectedFailure(inputPath, failure.what()));
        return FileResult::inputError;
    }
}

} // namespace

FileResult encryptSingleFile(const std::filesystem::path& inputPath, const std::filesystem::path& outputPath,
                             const std::u16string& password, bool reportSuccess, UserInterface& ui,
                             bool replaceExisting) {
    return guarded(inputPath, ui, [&] {
        return runSingleFile(Direction::encrypt, inputPath, outputPath, password, reportSuccess, ui, replaceExisting);
    });
}

FileResult decryptSingleFile(const std::filesystem::path& inputPath, const std::filesystem::path& outputPath,
                             const std::u16string& password, bool reportSuccess, UserInterface& ui,
                             bool replaceExisting) {
    return guarded(inputPath, ui, [&] {
        return runSingleFile(Direction::decrypt, inputPath, outputPath, password, reportSuccess, ui, replaceExisting);
    });
}

FileResult verifySingleFile(const std::filesystem::path& inputPath, const std::u16string& password, UserInterface& ui) {
    return guarded(inputPath, ui, [&] {
        std::string reason;
        InputFile input;
        if (!input.open(inputPath, reason)) {
            report(ui, messages::decryptInputOpen, messages::fileReason(inputPath, reason));
            return FileResult::inputError;
        }
        auto cipher = std::make_unique<Blowfish>();
        WipedBuffer<checkBlockBytes> checkBlock;
        keyFileCipher(*cipher, password, checkBlock.bytes);
        cipher->burn();
        return readAndCompareCheckBlock(input, checkBlock.bytes, inputPath, ui);
    });
}

} // namespace kelvara
