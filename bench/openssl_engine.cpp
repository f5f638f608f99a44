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
        BF_set_key(&m_key, 32, key);
        std::memcpy(m_iv, iv, sizeof m_iv);
        m_encrypting = encrypting;
    }
    void process(std::uint8_t* data, std::size_t size) override {
        BF_cbc_encrypt(data, data, static_cast<long>(size), &m_key, m_iv, m_encrypting ? BF_ENCRYPT : BF_DECRYPT);
    }

private:
    BF_KEY m_key{};
    unsigned char m_iv[8] = {};
    bool m_encrypting = true;
};

} // namespace

std::unique_ptr<CbcEngine> makeOpensslEngine() {
    return std::make_unique<OpensslEngine>();
}

} // namespace kelvara::bench
