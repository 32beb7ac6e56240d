#pragma once

#include "KeyDerivation.h"

#include <QByteArray>

// Padding (n bytes of value n, 1..8) and DES-CBC with a zero initialisation vector.
// Fails for empty input or a key that DES_set_key_checked refuses.
bool EncryptBuffer(const DesKey& key, const QByteArray& data, QByteArray& out);
// The inverse; fails for empty input, a length that is not a multiple of 8, a refused key or bad
// padding. out may be empty on success.
bool DecryptBuffer(const DesKey& key, const QByteArray& data, QByteArray& out);

// The building blocks, working in place so that large documents are not copied. The buffer
// length must be a positive multiple of 8; false for a refused key or a bad length.
bool CbcEncryptInPlace(const DesKey& key, char* buffer, qsizetype length);
bool CbcDecryptInPlace(const DesKey& key, char* buffer, qsizetype length);
// The number of padding bytes at the end of a decrypted buffer, or -1 when the padding is bad.
int PaddingLength(const char* buffer, qsizetype length);
// Appends n bytes of value n, n = 8 - (length mod 8).
void AppendPadding(QByteArray& buffer);

// The word-rotation layer laid over the cipher text: 32-bit little-endian word k turns left by
// (k + 1) mod 32 bits. Trailing bytes beyond the last whole word stay as they are.
void RotateWordsLeft(char* buffer, qsizetype length);
void RotateWordsRight(char* buffer, qsizetype length);
