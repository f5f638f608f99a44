// Our engine's Blowfish-CBC for the benchmark.
#include "cbc_engines.h"

#include "cipher/blowfish.h"

namespace kelvara::bench {
namespace {

class KelvaraEngine final : public CbcEngine {
public:
    std::string name() const override { return "kelvara"; }
    void start(const std::uint8_t* key, const std::uint8_t* iv, bool encrypting) override {
        m_cipher.init(key, 256, iv);
        m_encrypting = encrypting;
    }
    void process(std::uint8_t* data, std::size_t size) override {
        if (m_encrypting) {
            m_cipher.encryptCBC(data, data, static_cast<std::uint32_t>(size));
        } else {
            m_cipher.decryptCBC(data, data, static_cast<std::uint32_t>(size));
        }
    }

private:
    Blowfish m_cipher;
    bool m_encrypting = true;
};

} // namespace

std::unique_ptr<CbcEngine> makeKelvaraEngine() {
    return std::make_unique<KelvaraEngine>();
}

} // namespace kelvara::bench
