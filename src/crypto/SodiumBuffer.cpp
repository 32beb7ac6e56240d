#include "SodiumBuffer.h"

#include <sodium.h>

SodiumBuffer::SodiumBuffer(std::size_t size) : m_size(size) {
    if (SodiumReady())
        m_data = static_cast<unsigned char*>(sodium_malloc(size));
    if (m_data == nullptr)
        m_size = 0;
}

SodiumBuffer::SodiumBuffer(SodiumBuffer&& other) noexcept
    : m_data(other.m_data), m_size(other.m_size) {
    other.m_data = nullptr;
    other.m_size = 0;
}

SodiumBuffer::~SodiumBuffer() {
    // sodium_free wipes the memory before it lets it go.
    if (m_data != nullptr)
        sodium_free(m_data);
}

bool SodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}
