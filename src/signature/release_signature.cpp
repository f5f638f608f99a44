// Reading minisign keys and signature files, and checking them with libsodium.
#include "signature/release_signature.h"

#include <sodium.h>

#include <algorithm>
#include <vector>

namespace kelvara::signature {

namespace {

constexpr std::string_view untrustedPrefix = "untrusted comment: ";
constexpr std::string_view trustedPrefix = "trusted comment: ";
constexpr std::string_view legacyAlgorithm = "Ed";
constexpr std::string_view prehashedAlgorithm = "ED";

// Decodes standard Base64 (with padding) into exactly size bytes; false for anything else.
bool decodeExactly(std::string_view text, std::uint8_t* out, std::size_t size) {
    std::size_t length = 0;
    const char* end = nullptr;
    if (sodium_base642bin(out, size, text.data(), text.size(), nullptr, &length, &end,
                          sodium_base64_VARIANT_ORIGINAL) != 0)
        return false;
    return length == size && end == text.data() + text.size();
}

// Splits text at LF, dropping one CR before each LF. A final line end starts no further line.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

bool initialised() {
    return sodium_init() >= 0;
}

bool verifyDetached(const std::array<std::uint8_t, 64>& signature, const std::uint8_t* message, std::size_t size,
                    const PublicKey& key) {
    return crypto_sign_verify_detached(signature.data(), message, size, key.key.data()) == 0;
}

} // namespace

std::optional<PublicKey> parsePublicKey(std::string_view text) {
    std::vector<std::string_view> lines = splitLines(text);
    if (!lines.empty() && lines.front().substr(0, untrustedPrefix.size()) == untrustedPrefix)
        lines.erase(lines.begin());
    if (lines.size() != 1 || !initialised())
        return std::nullopt;
    std::array<std::uint8_t, 2 + 8 + 32> bytes{};
    if (!decodeExactly(lines.front(), bytes.data(), bytes.size()))
        return std::nullopt;
    if (std::string_view(reinterpret_cast<const char*>(bytes.data()), 2) != legacyAlgorithm)
        return std::nullopt;
    PublicKey key;
    std::copy_n(bytes.begin() + 2, key.keyId.size(), key.keyId.begin());
    std::copy_n(bytes.begin() + 2 + 8, key.key.size(), key.key.begin());
    return key;
}

std::optional<SignatureFile> parseSignatureFile(std::string_view text) {
    if (text.size() > maxSignatureFileBytes || !initialised())
        return std::nullopt;
    const std::vector<std::string_view> lines = splitLines(text);
    if (lines.size() != 4 || lines[0].substr(0, untrustedPrefix.size()) != untrustedPrefix ||
        lines[2].substr(0, trustedPrefix.size()) != trustedPrefix)
        return std::nullopt;

    std::array<std::uint8_t, 2 + 8 + 64> bytes{};
    SignatureFile file;
    if (!decodeExactly(lines[1], bytes.data(), bytes.size()) ||
        !decodeExactly(lines[3], file.globalSignature.data(), file.globalSignature.size()))
        return std::nullopt;
    const std::string_view algorithm(reinterpret_cast<const char*>(bytes.data()), 2);
    if (algorithm != legacyAlgorithm && algorithm != prehashedAlgorithm)
        return std::nullopt;
    file.prehashed = algorithm == prehashedAlgorithm;
    std::copy_n(bytes.begin() + 2, file.keyId.size(), file.keyId.begin());
    std::copy_n(bytes.begin() + 2 + 8, file.signature.size(), file.signature.begin());
    file.trustedComment = std::string(lines[2].substr(trustedPrefix.size()));
    return file;
}

struct Verifier::State {
    PublicKey key;
    std::optional<SignatureFile> file;
    bool ready = false;
    crypto_generichash_state hash{};
    std::string message; // legacy signatures only
    bool tooLarge = false;
};

Verifier::Verifier(const PublicKey& key, std::string_view signatureFileText) : m_state(std::make_unique<State>()) {
    m_state->key = key;
    m_state->ready = initialised();
    if (!m_state->ready)
        return;
    m_state->file = parseSignatureFile(signatureFileText);
    if (m_state->file && m_state->file->prehashed)
        crypto_generichash_init(&m_state->hash, nullptr, 0, crypto_generichash_BYTES_MAX);
}

Verifier::~Verifier() {
    sodium_memzero(&m_state->hash, sizeof m_state->hash);
}

void Verifier::update(std::string_view bytes) {
    State& state = *m_state;
    if (!state.ready || !state.file || state.tooLarge)
        return;
    if (state.file->prehashed) {
        crypto_generichash_update(&state.hash, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    } else if (bytes.size() > maxLegacyMessageBytes - state.message.size()) {
        state.tooLarge = true;
        state.message.clear();
    } else {
        state.message.append(bytes);
    }
}

Verdict Verifier::finish() {
    State& state = *m_state;
    if (!state.ready)
        return Verdict::noCryptography;
    if (!state.file)
        return Verdict::unreadableSignature;
    const SignatureFile& file = *state.file;
    if (file.keyId != state.key.keyId)
        return Verdict::otherKey;
    if (state.tooLarge)
        return Verdict::wrongSignature;

    bool signatureFits = false;
    if (file.prehashed) {
        std::array<std::uint8_t, crypto_generichash_BYTES_MAX> digest{};
        crypto_generichash_final(&state.hash, digest.data(), digest.size());
        signatureFits = verifyDetached(file.signature, digest.data(), digest.size(), state.key);
    } else {
        signatureFits = verifyDetached(file.signature, reinterpret_cast<const std::uint8_t*>(state.message.data()),
                                       state.message.size(), state.key);
    }
    if (!signatureFits)
        return Verdict::wrongSignature;

    // The trusted comment is signed together with the file's signature.
    std::string signedComment(reinterpret_cast<const char*>(file.signature.data()), file.signature.size());
    signedComment += file.trustedComment;
    if (!verifyDetached(file.globalSignature, reinterpret_cast<const std::uint8_t*>(signedComment.data()),
                        signedComment.size(), state.key))
        return Verdict::wrongTrustedComment;
    return Verdict::valid;
}

Verdict verify(const PublicKey& key, std::string_view signatureFileText, std::string_view message) {
    Verifier verifier(key, signatureFileText);
    verifier.update(message);
    return verifier.finish();
}

} // namespace kelvara::signature
