#pragma once

#include <cstddef>

// Key material in memory of its own from sodium_malloc: kept out of swap, guarded on both sides,
// and wiped when freed. Fixed size, not copyable.
class SodiumBuffer {
public:
    explicit SodiumBuffer(std::size_t size);
    SodiumBuffer(SodiumBuffer&& other) noexcept;
    SodiumBuffer& operator=(SodiumBuffer&&) = delete;
    SodiumBuffer(const SodiumBuffer&) = delete;
    SodiumBuffer& operator=(const SodiumBuffer&) = delete;
    ~SodiumBuffer();

    // Null when the memory could not be had.
    unsigned char* data() { return m_data; }
    const unsigned char* data() const { return m_data; }
    std::size_t size() const { return m_size; }
    bool ok() const { return m_data != nullptr; }

private:
    unsigned char* m_data = nullptr;
    std::size_t m_size = 0;
};

// Initialises libsodium once; false when it cannot be used (no random source).
bool SodiumReady();
