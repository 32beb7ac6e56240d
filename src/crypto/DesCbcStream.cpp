#include "DesCbcStream.h"

#include "KeyDerivation.h"
#include <openssl/crypto.h>

#include <cstring>

DesCbcStream::DesCbcStream(const DesKey& key, bool encrypt)
    : m_direction(encrypt ? DES_ENCRYPT : DES_DECRYPT) {
    DES_cblock block;
    std::memcpy(block, key.data(), sizeof block);
    m_ok = DES_set_key_checked(&block, &m_schedule) == 0;
    OPENSSL_cleanse(&block, sizeof block);
}

DesCbcStream::~DesCbcStream() {
    OPENSSL_cleanse(&m_schedule, sizeof m_schedule);
    OPENSSL_cleanse(&m_iv, sizeof m_iv);
}

bool DesCbcStream::Process(char* buffer, qsizetype length) {
    if (!m_ok || !buffer || length < 0 || length % kDesBlockSize != 0)
        return false;
    auto* bytes = reinterpret_cast<unsigned char*>(buffer);
    // DES_ncbc_encrypt takes a long length and leaves the next chaining vector in m_iv, so
    // very large buffers go through in pieces.
    const qsizetype chunk = qsizetype(1) << 30;
    for (qsizetype done = 0; done < length; done += chunk) {
        const qsizetype n = qMin(chunk, length - done);
        DES_ncbc_encrypt(bytes + done, bytes + done, static_cast<long>(n), &m_schedule, &m_iv,
                         m_direction);
    }
    return true;
}
