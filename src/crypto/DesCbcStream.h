#pragma once

#include "KeyDerivation.h"

#include <QtGlobal>

#include <openssl/des.h>

// DES-CBC over a sequence of buffers as if they were one: the key schedule is built once and
// the chaining vector (zero at the start) carries from one buffer to the next. Every buffer
// length must be a multiple of 8. The schedule is wiped when the stream goes.
class DesCbcStream {
public:
    DesCbcStream(const DesKey& key, bool encrypt);
    ~DesCbcStream();
    DesCbcStream(const DesCbcStream&) = delete;
    DesCbcStream& operator=(const DesCbcStream&) = delete;

    // False when DES_set_key_checked refused the key; the stream then does nothing.
    bool ok() const { return m_ok; }
    // Encrypts or decrypts in place; false for a refused key or a length not a multiple of 8.
    bool Process(char* buffer, qsizetype length);

private:
    DES_key_schedule m_schedule;
    DES_cblock m_iv = {0, 0, 0, 0, 0, 0, 0, 0};
    int m_direction;
    bool m_ok = false;
};
