// libgcrypt's Blowfish-CBC for the benchmark (reference only).
#include "cbc_engines.h"

#include <gcrypt.h>

#include <stdexcept>

namespace kelvara::bench {
namespace {

void check(gcry_error_t error, const char* what) {
    if (error != 0) {
        throw std::runtime_error(std::string(what) + ": " + gcry_strerror(error));
    }
}

class GcryptEngine final : public CbcEngine {
public:
    GcryptEngine() {
        if (gcry_check_version(nullptr) == nullptr) {
            throw std::runtime_error("libgcrypt did not initialise");
        }
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
        check(gcry_cipher_open(&m_handle, GCRY_CIPHER_BLOWFISH, GCRY_CIPHER_MODE_CBC, 0), "gcry_cipher_open");
    }
    ~GcryptEngine() override { gcry_cipher_close(m_handle); }
    GcryptEngine(const GcryptEngine&) = delete;
    GcryptEngine& operator=(const GcryptEngine&) = delete;

    std::string name() const override { return "gcrypt"; }
    void start(const std::uint8_t* key, const std::uint8_t* iv, bool encrypting) override {
        check(gcry_cipher_setkey(m_handle, key, 32), "gcry_cipher_setkey");
        check(gcry_cipher_setiv(m_handle, iv, 8), "gcry_cipher_setiv");
        m_encrypting = encrypting;
    }
    void process(std::uint8_t* data, std::size_t size) override {
        if (m_encrypting) {
            check(gcry_cipher_encrypt(m_handle, data, size, nullptr, 0), "gcry_cipher_encrypt");
        } else {
            check(gcry_cipher_decrypt(m_handle, data, size, nullptr, 0), "gcry_cipher_decrypt");
        }
    }

private:
    gcry_cipher_hd_t m_handle = nullptr;
    bool m_encrypting = true;
};

} // namespace

std::unique_ptr<CbcEngine> makeGcryptEngine() {
    return std::make_unique<GcryptEngine>();
}

} // namespace kelvara::bench
