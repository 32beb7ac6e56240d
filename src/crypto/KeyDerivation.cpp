#include "KeyDerivation.h"

#include <openssl/crypto.h>
#include <openssl/des.h>

DesKey KeyFromPassword(const QByteArray& legacyPassword) {
    DES_cblock block;
    // constData() is always NUL-terminated; a NUL inside ends the password, as it always did.
    DES_string_to_key(legacyPassword.constData(), &block);
    DesKey key;
    static_assert(sizeof(block) == sizeof(DesKey::value_type) * kDesBlockSize, "DES block size");
    for (int i = 0; i < kDesBlockSize; ++i)
        key[i] = block[i];
    OPENSSL_cleanse(&block, sizeof block);
    return key;
}

int CheckKey(const DesKey& key) {
    DES_cblock block;
    for (int i = 0; i < kDesBlockSize; ++i)
        block[i] = key[i];
    DES_key_schedule schedule;
    const int result = DES_set_key_checked(&block, &schedule);
    OPENSSL_cleanse(&schedule, sizeof schedule);
    OPENSSL_cleanse(&block, sizeof block);
    return result;
}

void WipeKey(DesKey& key) {
    OPENSSL_cleanse(key.data(), key.size());
}

void WipeBytes(QByteArray& bytes) {
    // data() would detach a shared array and wipe only the fresh copy; a buffer that is ours
    // alone is overwritten where it is.
    if (bytes.isDetached() && !bytes.isEmpty())
        OPENSSL_cleanse(const_cast<char*>(bytes.constData()), static_cast<size_t>(bytes.size()));
    bytes.clear();
}
