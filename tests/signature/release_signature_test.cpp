// The release signature check: signatures made at test time with a throw-away key pair (and, on Linux, by the
// minisign tool itself) are accepted in both forms; every change to the file, the comment or the key is refused.
#include "core_temp_dir.h"
#include "signature/release_signature.h"

#include <gtest/gtest.h>
#include <sodium.h>

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

namespace kelvara::signature {
namespace {

std::string base64(const std::uint8_t* bytes, std::size_t size) {
    std::string text(sodium_base64_encoded_len(size, sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(text.data(), text.size(), bytes, size, sodium_base64_VARIANT_ORIGINAL);
    text.resize(text.size() - 1); // the terminating NUL
    return text;
}

// A key pair in the format's layout, signing as the minisign tool does.
struct TestKey {
    KeyId keyId{};
    std::array<std::uint8_t, crypto_sign_PUBLICKEYBYTES> publicKey{};
    std::array<std::uint8_t, crypto_sign_SECRETKEYBYTES> secretKey{};

    TestKey() {
        EXPECT_GE(sodium_init(), 0);
        crypto_sign_keypair(publicKey.data(), secretKey.data());
        randombytes_buf(keyId.data(), keyId.size());
    }

    std::string publicKeyLine() const {
        std::vector<std::uint8_t> bytes{'E', 'd'};
        bytes.insert(bytes.end(), keyId.begin(), keyId.end());
        bytes.insert(bytes.end(), publicKey.begin(), publicKey.end());
        return base64(bytes.data(), bytes.size());
    }
    PublicKey parsed() const { return parsePublicKey(publicKeyLine()).value(); }

    std::array<std::uint8_t, 64> detached(std::string_view message) const {
        std::array<std::uint8_t, 64> signature{};
        crypto_sign_detached(signature.data(), nullptr, reinterpret_cast<const std::uint8_t*>(message.data()),
                             message.size(), secretKey.data());
        return signature;
    }

    std::string sign(std::string_view message, bool prehashed, const std::string& trustedComment = "timestamp:1",
                     const std::string& lineEnd = "\n") const {
        std::array<std::uint8_t, crypto_generichash_BYTES_MAX> digest{};
        crypto_generichash(digest.data(), digest.size(), reinterpret_cast<const std::uint8_t*>(message.data()),
                           message.size(), nullptr, 0);
        const auto signature =
            prehashed ? detached({reinterpret_cast<const char*>(digest.data()), digest.size()}) : detached(message);
        std::vector<std::uint8_t> line{'E', static_cast<std::uint8_t>(prehashed ? 'D' : 'd')};
        line.insert(line.end(), keyId.begin(), keyId.end());
        line.insert(line.end(), signature.begin(), signature.end());
        const auto global = detached(std::string(signature.begin(), signature.end()) + trustedComment);
        return "untrusted comment: signature from a test key" + lineEnd + base64(line.data(), line.size()) + lineEnd +
               "trusted comment: " + trustedComment + lineEnd + base64(global.data(), global.size()) + lineEnd;
    }
};

const std::string release = "the installer's bytes\x01\x02\xff";

// Replaces line index (0 to 3) of a signature file.
std::string withLine(const std::string& file, std::size_t index, const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = file.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(file.substr(start, end - start));
    lines.at(index) = text;
    std::string joined;
    for (const std::string& line : lines)
        joined += line + "\n";
    return joined;
}

class BothForms : public testing::TestWithParam<bool> {};

TEST_P(BothForms, AcceptsWhatTheKeySignedAndRefusesEveryChange) {
    const bool prehashed = GetParam();
    const TestKey key;
    const TestKey otherKey;
    TestKey sameIdOtherKey;
    sameIdOtherKey.keyId = key.keyId;
    const std::string signature = key.sign(release, prehashed);
    const std::string otherComment = withLine(signature, 2, "trusted comment: timestamp:2");

    const struct {
        const char* what;
        PublicKey key;
        std::string signature;
        std::string message;
        Verdict expected;
    } cases[] = {
        {"signed", key.parsed(), signature, release, Verdict::valid},
        {"CR LF line ends", key.parsed(), key.sign(release, prehashed, "timestamp:1", "\r\n"), release, Verdict::valid},
        {"empty file", key.parsed(), key.sign("", prehashed), "", Verdict::valid},
        {"one byte changed", key.parsed(), signature, release.substr(0, 3) + "x" + release.substr(4),
         Verdict::wrongSignature},
        {"one byte more", key.parsed(), signature, release + "\n", Verdict::wrongSignature},
        {"cut short", key.parsed(), signature, release.substr(1), Verdict::wrongSignature},
        {"another key", otherKey.parsed(), signature, release, Verdict::otherKey},
        {"another key with the same id", key.parsed(), sameIdOtherKey.sign(release, prehashed), release,
         Verdict::wrongSignature},
        {"trusted comment changed", key.parsed(), otherComment, release, Verdict::wrongTrustedComment},
        {"no signature at all", key.parsed(), "", release, Verdict::unreadableSignature},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(verify(c.key, c.signature, c.message), c.expected);
    }
}

TEST_P(BothForms, FileGivenInPiecesIsCheckedAsAWhole) {
    const TestKey key;
    const std::string large(300000, 'k');
    Verifier verifier(key.parsed(), key.sign(large, GetParam()));
    for (std::size_t offset = 0; offset < large.size(); offset += 4096)
        verifier.update(std::string_view(large).substr(offset, 4096));
    EXPECT_EQ(verifier.finish(), Verdict::valid);
}

INSTANTIATE_TEST_SUITE_P(ReleaseSignature, BothForms, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& param) {
                             return param.param ? "Prehashed" : "Legacy";
                         });

TEST(ReleaseSignature, GlobalSignatureMustFitTheTrustedComment) {
    const TestKey key;
    const std::string signature = key.sign(release, true, "timestamp:1");
    // The global signature line of a file signed with another trusted comment.
    const std::string foreignGlobal = key.sign(release, true, "timestamp:9");
    const std::size_t lastLine = foreignGlobal.rfind('\n', foreignGlobal.size() - 2) + 1;
    const std::string swapped =
        withLine(signature, 3, foreignGlobal.substr(lastLine, foreignGlobal.size() - lastLine - 1));
    EXPECT_EQ(verify(key.parsed(), swapped, release), Verdict::wrongTrustedComment);
}

TEST(ReleaseSignature, ReadsOnlyTheFourLinesOfTheFormat) {
    const TestKey key;
    const std::string good = key.sign(release, true);
    std::string wrongAlgorithm = good;
    {
        // "ED" becomes "EX": re-encode the signature line with another algorithm name.
        const std::size_t start = good.find('\n') + 1;
        const std::string line = good.substr(start, good.find('\n', start) - start);
        std::array<std::uint8_t, 74> bytes{};
        std::size_t length = 0;
        ASSERT_EQ(sodium_base642bin(bytes.data(), bytes.size(), line.data(), line.size(), nullptr, &length, nullptr,
                                    sodium_base64_VARIANT_ORIGINAL),
                  0);
        bytes[1] = 'X';
        wrongAlgorithm = withLine(good, 1, base64(bytes.data(), bytes.size()));
    }
    const std::string malformed[] = {
        wrongAlgorithm,
        withLine(good, 0, "comment: no prefix"),
        withLine(good, 2, "trusted: no prefix"),
        withLine(good, 1, "not base64 !"),
        withLine(good, 1, "RUQ="),                             // too short
        withLine(good, 3, "AAAA"),                             // global signature too short
        good + "a fifth line\n",                               // more than the four lines
        good.substr(0, good.rfind('\n', good.size() - 2) + 1), // three lines
        good + std::string(maxSignatureFileBytes, '\n'),       // too large
    };
    for (const std::string& text : malformed) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(parseSignatureFile(text).has_value());
        EXPECT_EQ(verify(key.parsed(), text, release), Verdict::unreadableSignature);
    }
    const auto parsed = parseSignatureFile(good);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_TRUE(parsed->prehashed);
    EXPECT_EQ(parsed->keyId, key.keyId);
    EXPECT_EQ(parsed->trustedComment, "timestamp:1");
}

TEST(ReleaseSignature, ReadsTheKeyLineOrTheWholeKeyFile) {
    const TestKey key;
    const std::string line = key.publicKeyLine();
    for (const std::string& text : {line, line + "\n", "untrusted comment: minisign public key\n" + line + "\n"}) {
        const auto parsed = parsePublicKey(text);
        ASSERT_TRUE(parsed.has_value()) << text;
        EXPECT_EQ(parsed->keyId, key.keyId);
        EXPECT_EQ(parsed->key, key.publicKey);
    }
    std::string otherAlgorithm = line;
    otherAlgorithm[1] = 'X'; // "RW" is the encoded "Ed"
    for (const std::string& text : {std::string(), line.substr(4), line + "AAAA", otherAlgorithm, "x\n" + line})
        EXPECT_FALSE(parsePublicKey(text).has_value()) << text;
}

#ifndef _WIN32
// Signatures made by the minisign tool, with a key pair it makes at test time, in both forms.
TEST(ReleaseSignature, AcceptsWhatTheMinisignToolSigns) {
    const test::TempDir folder;
    const auto path = [&](const char* name) { return (folder / name).string(); };
    test::writeFile(folder / "release.bin", release);
    ASSERT_EQ(std::system(("minisign -G -W -p " + path("key.pub") + " -s " + path("key.sec") + " >/dev/null").c_str()),
              0)
        << "minisign is needed (scripts/setup.sh installs it)";
    const auto key = parsePublicKey(test::readFile(folder / "key.pub"));
    ASSERT_TRUE(key.has_value());
    for (const char* legacy : {"", " -l"}) {
        SCOPED_TRACE(legacy);
        ASSERT_EQ(std::system(("minisign -S" + std::string(legacy) + " -s " + path("key.sec") + " -m " +
                               path("release.bin") + " -t 'file:release.bin' >/dev/null")
                                  .c_str()),
                  0);
        const std::string signature = test::readFile(folder / "release.bin.minisig");
        EXPECT_EQ(parseSignatureFile(signature)->prehashed, *legacy == '\0');
        EXPECT_EQ(verify(*key, signature, release), Verdict::valid);
        EXPECT_EQ(verify(*key, signature, release + "x"), Verdict::wrongSignature);
    }
}
#endif

} // namespace
} // namespace kelvara::signature
