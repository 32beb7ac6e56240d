#include "CipherBuffer.h"

#include "DesCbcStream.h"
#include "KeyDerivation.h"

#include <QtEndian>

#include <openssl/crypto.h>

#include <cstring>

namespace {

bool CbcInPlace(const DesKey& key, char* buffer, qsizetype length, bool encrypt) {
    if (!buffer || length <= 0 || length % kDesBlockSize != 0)
        return false;
    DesCbcStream stream(key, encrypt);
    return stream.Process(buffer, length);
}

inline quint32 RotateLeft(quint32 value, unsigned bits) {
    bits &= 31u;
    return bits == 0 ? value : (value << bits) | (value >> (32u - bits));
}

template <bool Left>
inline __attribute__((always_inline)) void RotateWords(char* buffer, qsizetype length) {
    if (!buffer || length < 4)
        return;
    const qsizetype words = length / 4;
    // The turn repeats every 32 words, so whole runs of 32 go through a loop of fixed length
    // that the compiler unrolls.
    qsizetype k = 0;
    for (; k + 32 <= words; k += 32) {
        char* run = buffer + k * 4;
        for (unsigned j = 0; j < 32; ++j) {
            const unsigned turn = (j + 1) & 31u;
            char* p = run + j * 4;
            qToLittleEndian<quint32>(
                RotateLeft(qFromLittleEndian<quint32>(p), Left ? turn : 32u - turn), p);
        }
    }
    for (; k < words; ++k) {
        char* p = buffer + k * 4;
        const unsigned turn = static_cast<unsigned>((k + 1) % 32);
        qToLittleEndian<quint32>(
            RotateLeft(qFromLittleEndian<quint32>(p), Left ? turn : 32u - turn), p);
    }
}

} // namespace

bool CbcEncryptInPlace(const DesKey& key, char* buffer, qsizetype length) {
    return CbcInPlace(key, buffer, length, true);
}

bool CbcDecryptInPlace(const DesKey& key, char* buffer, qsizetype length) {
    return CbcInPlace(key, buffer, length, false);
}

int PaddingLength(const char* buffer, qsizetype length) {
    if (!buffer || length <= 0)
        return -1;
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer);
    const int n = bytes[length - 1];
    if (n == 0 || n > kDesBlockSize || n > length)
        return -1;
    for (int i = 1; i <= n; ++i)
        if (bytes[length - i] != n)
            return -1;
    return n;
}

void AppendPadding(QByteArray& buffer) {
    const int n = kDesBlockSize - static_cast<int>(buffer.size() % kDesBlockSize);
    buffer.append(n, static_cast<char>(n));
}

bool EncryptBuffer(const DesKey& key, const QByteArray& data, QByteArray& out) {
    out.clear();
    if (data.isEmpty() || CheckKey(key) != 0)
        return false;
    QByteArray work;
    work.reserve(data.size() + kDesBlockSize);
    work.append(data);
    AppendPadding(work);
    if (!CbcEncryptInPlace(key, work.data(), work.size())) {
        WipeBytes(work);
        return false;
    }
    out = work;
    return true;
}

bool DecryptBuffer(const DesKey& key, const QByteArray& data, QByteArray& out) {
    out.clear();
    if (data.isEmpty() || data.size() % kDesBlockSize != 0)
        return false;
    QByteArray work(data.constData(), data.size());
    if (!CbcDecryptInPlace(key, work.data(), work.size())) {
        WipeBytes(work);
        return false;
    }
    const int n = PaddingLength(work.constData(), work.size());
    if (n < 0) {
        WipeBytes(work);
        return false;
    }
    OPENSSL_cleanse(work.data() + work.size() - n, static_cast<size_t>(n));
    work.truncate(work.size() - n);
    out = work;
    return true;
}

// The rotation runs over every byte of a document: where the processor has them, wide
// registers turn eight words at a time (the same results, chosen when the program starts).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define KEYSTOW_WIDE_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define KEYSTOW_WIDE_CLONES
#endif

KEYSTOW_WIDE_CLONES void RotateWordsLeft(char* buffer, qsizetype length) {
    RotateWords<true>(buffer, length);
}

KEYSTOW_WIDE_CLONES void RotateWordsRight(char* buffer, qsizetype length) {
    RotateWords<false>(buffer, length);
}
