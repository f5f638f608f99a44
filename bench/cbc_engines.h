// Blowfish-CBC engines under one interface, so the benchmark can time and compare them alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kelvara::bench {

class CbcEngine {
public:
    virtual ~CbcEngine() = default;
    virtual std::string name() const = 0;
    // Keys the engine (32-byte key) and sets the IV (8 bytes); the next process call starts a new chain.
    virtual void start(const std::uint8_t* key, const std::uint8_t* iv, bool encrypting) = 0;
    // Encrypts or decrypts size bytes (a multiple of 8) in place, continuing the chain.
    virtual void process(std::uint8_t* data, std::size_t size) = 0;
};

std::unique_ptr<CbcEngine> makeKelvaraEngine();
std::unique_ptr<CbcEngine> makeOpensslEngine();
std::unique_ptr<CbcEngine> makeGcryptEngine();

} // namespace kelvara::bench
