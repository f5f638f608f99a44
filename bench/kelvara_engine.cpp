// Our engine's Blowfish-CBC for the benchmark.
#include "cbc_engines.h"

#include "cipher/blowfish.h"

namespace kelvara::bench {
namespace {

class KelvaraEngine final : public CbcEngine {
public:
    std::string name() const override { return "kelvara"; }
    void start(const std::uint8_t* key, const std::uint8_t* iv, bool encrypting) override {
        fCipher.init(key, 256, iv);
        fEncrypting = encrypting;
    }
    void process(std::uint8_t* data, std::size_t size) override {
        if (fEncrypting) {
            fCipher.encryptCBC(data, data, static_cast<std::uint32_t>(size));
        } else {
            fCipher.decryptCBC(data, data, static_cast<std::uint32_t>(size));
        }
    }

private:
    Blowfish fCipher;
    bool fEncrypting = true;
};

} // namespace

std::unique_ptr<CbcEngine> makeKelvaraEngine() {
    return std::make_unique<KelvaraEngine>();
}

} // namespace kelvara::bench
