// OpenSSL's low-level Blowfish-CBC for the benchmark (reference only).
#include "cbc_engines.h"

#include <openssl/blowfish.h>

#include <cstring>

namespace kelvara::bench {
namespace {

class OpensslEngine final : public CbcEngine {
public:
    std::string name() const override { return "openssl"; }
    void start(const std::uint8_t* key, const std::uint8_t* iv, bool encrypting) override {
        BF_set_key(&fKey, 32, key);
        std::memcpy(fIV, iv, sizeof fIV);
        fEncrypting = encrypting;
    }
    void process(std::uint8_t* data, std::size_t size) override {
        BF_cbc_encrypt(data, data, static_cast<long>(size), &fKey, fIV, fEncrypting ? BF_ENCRYPT : BF_DECRYPT);
    }

private:
    BF_KEY fKey{};
    unsigned char fIV[8] = {};
    bool fEncrypting = true;
};

} // namespace

std::unique_ptr<CbcEngine> makeOpensslEngine() {
    return std::make_unique<OpensslEngine>();
}

} // namespace kelvara::bench
