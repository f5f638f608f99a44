// Signatures of released files in the minisign format: the maker's public key, the signature file read
// strictly, and the check of a file's bytes against both. The cryptography is libsodium's (Ed25519, BLAKE2b).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kelvara::signature {

using KeyId = std::array<std::uint8_t, 8>;

struct PublicKey {
    KeyId keyId{};
    std::array<std::uint8_t, 32> key{};
};

// The key from the base64 line of a public key file made by `minisign -G`; a whole key file (its
// "untrusted comment:" line first) is read too. Nothing for anything else.
std::optional<PublicKey> parsePublicKey(std::string_view text);

// A `.minisig` file: an untrusted comment, the signature of the file, the trusted comment and the global
// signature, which signs the file's signature together with the trusted comment.
struct SignatureFile {
    bool prehashed = false; // "ED": signs the BLAKE2b-512 hash of the file; "Ed" (legacy): the file itself
    KeyId keyId{};
    std::array<std::uint8_t, 64> signature{};
    std::string trustedComment;
    std::array<std::uint8_t, 64> globalSignature{};
};

// Larger signature files are refused unread.
constexpr std::size_t maxSignatureFileBytes = 8 * 1024;
// A legacy signature needs the whole file in memory: larger files are refused.
constexpr std::size_t maxLegacyMessageBytes = std::size_t{1} << 30;

// Lines may end in LF or CR LF. Nothing for a file that is not exactly the four lines of the format.
std::optional<SignatureFile> parseSignatureFile(std::string_view text);

enum class Verdict {
    valid,
    unreadableSignature, // not a signature file of the format
    otherKey,            // made with a different key
    wrongSignature,      // the file's bytes are not what was signed (or a legacy file is too large)
    wrongTrustedComment, // the global signature does not fit the trusted comment
    noCryptography,      // libsodium could not be initialised
};

// Checks a message given in pieces, so that large files need not be held in memory (prehashed signatures).
class Verifier {
public:
    Verifier(const PublicKey& key, std::string_view signatureFileText);
    ~Verifier();
    Verifier(const Verifier&) = delete;
    Verifier& operator=(const Verifier&) = delete;

    void update(std::string_view bytes);
    // The verdict over everything given to update(); call once.
    Verdict finish();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Checks message in one piece.
Verdict verify(const PublicKey& key, std::string_view signatureFileText, std::string_view message);

} // namespace kelvara::signature
