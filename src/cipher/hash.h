// The abstract message digest with its byte, string and stream feeding, and HashClass to name a hash type.
#pragma once

#include "cipher/algorithm_ids.h"
#include "cipher/cipher_errors.h"

#include <cstdint>
#include <istream>
#include <memory>
#include <string_view>
#include <type_traits>

namespace kelvara {

// Base of every hash. Class-level queries exist twice: as static classGetX() (ask the type, no instance)
// and as virtual getX() (ask an instance through a Hash reference).
class Hash {
public:
    Hash(const Hash&) = delete;
    Hash& operator=(const Hash&) = delete;
    virtual ~Hash() = default; // each concrete hash burns itself in its own destructor

    static constexpr std::int32_t classGetId() { return algorithm_ids::none; }
    static constexpr std::string_view classGetAlgorithm() { return {}; }
    static constexpr std::int32_t classGetHashSize() { return -1; }
    static constexpr bool classSelfTest() { return false; }

    virtual std::int32_t getId() const { return classGetId(); }
    virtual std::string_view getAlgorithm() const { return classGetAlgorithm(); }
    virtual std::int32_t getHashSize() const { return classGetHashSize(); } // in bits
    virtual bool selfTest() const { return classSelfTest(); }

    bool initialized() const noexcept { return m_initialized; }

    // Starts a new message, discarding anything fed before.
    virtual void init() {}
    // Feeds size bytes. A concrete hash throws HashError when not initialised (also for size 0).
    virtual void update(const void* /*buffer*/, std::uint32_t /*size*/) {}
    // Writes getHashSize() / 8 bytes to digest, then burns the object.
    virtual void final(void* /*digest*/) {}
    // Wipes the state and leaves the object uninitialised.
    virtual void burn() { m_initialized = false; }

    // Feeds the string's bytes, no terminator.
    void updateStr(std::string_view bytes);
    // Feeds the UTF-16 code units, each low byte first, no terminator and no byte-order mark.
    void updateStr(std::u16string_view utf16);
    // Reads size bytes from the stream in pieces of 8192 bytes and feeds what each read delivered.
    void updateStream(std::istream& stream, std::uint32_t size);

protected:
    Hash() = default;

    bool m_initialized = false;
};

// Names a hash type: asks its class-level values and creates instances of it.
class HashClass {
public:
    using IdQuery = std::int32_t (*)();
    using AlgorithmQuery = std::string_view (*)();
    using SizeQuery = std::int32_t (*)();
    using SelfTestQuery = bool (*)();
    using Factory = std::unique_ptr<Hash> (*)();

    constexpr HashClass(IdQuery idQuery, AlgorithmQuery algorithmQuery, SizeQuery hashSizeQuery,
                        SelfTestQuery selfTestQuery, Factory factory) noexcept
        : m_id(idQuery), m_algorithm(algorithmQuery), m_hashSize(hashSizeQuery), m_selfTest(selfTestQuery),
          m_factory(factory) {}

    std::int32_t getId() const { return m_id(); }
    std::string_view getAlgorithm() const { return m_algorithm(); }
    std::int32_t getHashSize() const { return m_hashSize(); } // in bits
    std::int32_t hashSize() const { return m_hashSize(); }
    bool selfTest() const { return m_selfTest(); }
    std::unique_ptr<Hash> create() const { return m_factory(); }

private:
    IdQuery m_id;
    AlgorithmQuery m_algorithm;
    SizeQuery m_hashSize;
    SelfTestQuery m_selfTest;
    Factory m_factory;
};

namespace detail {
template <class H> std::unique_ptr<Hash> createHash() {
    return std::make_unique<H>();
}
template <class H> std::int32_t hashId() {
    return H::classGetId();
}
template <class H> std::string_view hashAlgorithm() {
    return H::classGetAlgorithm();
}
template <class H> std::int32_t hashSize() {
    return H::classGetHashSize();
}
template <class H> bool hashSelfTest() {
    return H::classSelfTest();
}
} // namespace detail

// The HashClass of a concrete hash type, e.g. hashClassOf<Sha1>().
template <class H> constexpr HashClass hashClassOf() noexcept {
    static_assert(std::is_base_of_v<Hash, H> && !std::is_abstract_v<H>, "a concrete Hash type is needed");
    return HashClass(&detail::hashId<H>, &detail::hashAlgorithm<H>, &detail::hashSize<H>, &detail::hashSelfTest<H>,
                     &detail::createHash<H>);
}

} // namespace kelvara
