#include "CipherBuffer.h"

#include <QtEndian>

#include <openssl/crypto.h>
#include <openssl/des.h>

#include <cstring>

namespace {

bool MakeSchedule(const DesKey& key, DES_key_schedule& schedule) {
    DES_cblock block;
    std::memcpy(block, key.data(), sizeof block);
    const bool ok = DES_set_key_checked(&block, &schedule) == 0;
    OPENSSL_cleanse(&block, sizeof block);
    return ok;
}

bool CbcInPlace(const DesKey& key, char* buffer, qsizetype length, int direction) {
    if (!buffer || length <= 0 || length % 8 != 0)
        return false;
    DES_key_schedule schedule;
    if (!MakeSchedule(key, schedule)) {
        OPENSSL_cleanse(&schedule, sizeof schedule);
        return false;
    }
    DES_cblock iv = {0, 0, 0, 0, 0, 0, 0, 0};
    auto* bytes = reinterpret_cast<unsigned char*>(buffer);
    // DES_ncbc_encrypt takes a long length; split very large buffers on block boundaries and
    // carry the chaining vector across the pieces.
    const qsizetype chunk = qsizetype(1) << 30;
    for (qsizetype done = 0; done < length; done += chunk) {
        const qsizetype n = qMin(chunk, length - done);
        DES_ncbc_encrypt(bytes + done, bytes + done, static_cast<long>(n), &schedule, &iv,
                         direction);
    }
    OPENSSL_cleanse(&schedule, sizeof schedule);
    return true;
}

inline quint32 RotateLeft(quint32 value, unsigned bits) {
    bits &= 31u;
    return bits == 0 ? value : (value << bits) | (value >> (32u - bits));
}

template <bool Left> void RotateWords(char* buffer, qsizetype length) {
    if (!buffer || length < 4)
        return;
    const qsizetype words = length / 4;
    for (qsizetype k = 0; k < words; ++k) {
        char* p = buffer + k * 4;
        const quint32 word = qFromLittleEndian<quint32>(p);
        const unsigned turn = static_cast<unsigned>((k + 1) % 32);
        qToLittleEndian<quint32>(RotateLeft(word, Left ? turn : 32u - turn), p);
    }
}

} // namespace

bool CbcEncryptInPlace(const DesKey& key, char* buffer, qsizetype length) {
    return CbcInPlace(key, buffer, length, DES_ENCRYPT);
}

bool CbcDecryptInPlace(const DesKey& key, char* buffer, qsizetype length) {
    return CbcInPlace(key, buffer, length, DES_DECRYPT);
}

int PaddingLength(const char* buffer, qsizetype length) {
    if (!buffer || length <= 0)
        return -1;
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer);
    const int n = bytes[length - 1];
    if (n == 0 || n > 8 || n > length)
        return -1;
    for (int i = 1; i <= n; ++i)
        if (bytes[length - i] != n)
            return -1;
    return n;
}

void AppendPadding(QByteArray& buffer) {
    const int n = 8 - static_cast<int>(buffer.size() % 8);
    buffer.append(n, static_cast<char>(n));
}

bool EncryptBuffer(const DesKey& key, const QByteArray& data, QByteArray& out) {
    out.clear();
    if (data.isEmpty() || CheckKey(key) != 0)
        return false;
    QByteArray work;
    work.reserve(data.size() + 8);
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
    if (data.isEmpty() || data.size() % 8 != 0)
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

void RotateWordsLeft(char* buffer, qsizetype length) {
    RotateWords<true>(buffer, length);
}

void RotateWordsRight(char* buffer, qsizetype length) {
    RotateWords<false>(buffer, length);
}
