#include "ReferenceCipher.h"

#include <openssl/des.h>

#include <cstring>

namespace {

unsigned char OddParity(unsigned char byte) {
    unsigned char high = byte & 0xFE;
    int ones = 0;
    for (int bit = 1; bit < 8; ++bit)
        ones += (high >> bit) & 1;
    return static_cast<unsigned char>(high | ((ones % 2 == 0) ? 1 : 0));
}

unsigned char Reverse(unsigned char c) {
    unsigned char r = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (c & (1 << bit))
            r |= static_cast<unsigned char>(1 << (7 - bit));
    return r;
}

void EcbBlock(DES_key_schedule& ks, unsigned char* block, int direction) {
    DES_cblock in, out;
    std::memcpy(in, block, 8);
    DES_ecb_encrypt(&in, &out, &ks, direction);
    std::memcpy(block, out, 8);
}

DES_key_schedule Schedule(const std::array<unsigned char, 8>& key) {
    DES_cblock block;
    std::memcpy(block, key.data(), 8);
    DES_key_schedule ks;
    DES_set_key_unchecked(&block, &ks);
    return ks;
}

quint32 Rotl(quint32 v, unsigned n) {
    return n == 0 ? v : (v << n) | (v >> (32 - n));
}

void Rotate(QByteArray& bytes, bool left) {
    for (int k = 0; k < bytes.size() / 4; ++k) {
        auto* p = reinterpret_cast<unsigned char*>(bytes.data() + 4 * k);
        quint32 w = p[0] | (p[1] << 8) | (p[2] << 16) | (quint32(p[3]) << 24);
        const unsigned n = static_cast<unsigned>((k + 1) % 32);
        w = left ? Rotl(w, n) : Rotl(w, (32 - n) % 32);
        for (int i = 0; i < 4; ++i)
            p[i] = static_cast<unsigned char>(w >> (8 * i));
    }
}

} // namespace

std::array<unsigned char, 8> ReferenceKey(const QByteArray& password) {
    std::array<unsigned char, 8> key{};
    const int n = static_cast<int>(password.size());
    for (int i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(password[i]);
        if (i % 16 < 8)
            key[i % 8] ^= static_cast<unsigned char>(c << 1);
        else
            key[7 - (i % 8)] ^= Reverse(c);
    }
    for (auto& b : key)
        b = OddParity(b);
    DES_key_schedule ks = Schedule(key);
    std::array<unsigned char, 8> chain = key;
    for (int at = 0; at < n; at += 8) {
        unsigned char block[8] = {};
        for (int i = 0; i < 8 && at + i < n; ++i)
            block[i] = static_cast<unsigned char>(password[at + i]);
        for (int i = 0; i < 8; ++i)
            block[i] ^= chain[i];
        EcbBlock(ks, block, DES_ENCRYPT);
        std::memcpy(chain.data(), block, 8);
    }
    if (n > 0)
        key = chain;
    for (auto& b : key)
        b = OddParity(b);
    return key;
}

QByteArray ReferenceContainer(const QByteArray& password, const QString& text) {
    QByteArray plain;
    for (QChar ch : text) {
        plain.append(static_cast<char>(ch.unicode() & 0xFF));
        plain.append(static_cast<char>(ch.unicode() >> 8));
    }
    const int pad = 8 - plain.size() % 8;
    plain.append(pad, static_cast<char>(pad));
    DES_key_schedule ks = Schedule(ReferenceKey(password));
    unsigned char chain[8] = {};
    for (int at = 0; at < plain.size(); at += 8) {
        auto* block = reinterpret_cast<unsigned char*>(plain.data() + at);
        for (int i = 0; i < 8; ++i)
            block[i] ^= chain[i];
        EcbBlock(ks, block, DES_ENCRYPT);
        std::memcpy(chain, block, 8);
    }
    Rotate(plain, true);
    return plain;
}

bool ReferenceOpen(const QByteArray& password, const QByteArray& file, QString& text) {
    if (file.isEmpty() || file.size() % 8)
        return false;
    QByteArray data = file;
    Rotate(data, false);
    DES_key_schedule ks = Schedule(ReferenceKey(password));
    unsigned char chain[8] = {};
    for (int at = 0; at < data.size(); at += 8) {
        auto* block = reinterpret_cast<unsigned char*>(data.data() + at);
        unsigned char saved[8];
        std::memcpy(saved, block, 8);
        EcbBlock(ks, block, DES_DECRYPT);
        for (int i = 0; i < 8; ++i)
            block[i] ^= chain[i];
        std::memcpy(chain, saved, 8);
    }
    const int pad = static_cast<unsigned char>(data.back());
    if (pad < 1 || pad > 8)
        return false;
    for (int i = 1; i <= pad; ++i)
        if (static_cast<unsigned char>(data[data.size() - i]) != pad)
            return false;
    data.chop(pad);
    text.clear();
    for (int i = 0; i + 1 < data.size(); i += 2)
        text.append(QChar(static_cast<unsigned char>(data[i]) |
                          (static_cast<unsigned char>(data[i + 1]) << 8)));
    return true;
}
