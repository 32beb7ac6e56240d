#pragma once

#include "KeyDerivation.h"

#include <QByteArray>

// Padding (n bytes of value n, 1..8) and DES-CBC with a zero initialisation vector.
// Fails for empty input or a key that DES_set_key_checked refuses.
bool EncryptBuffer(const DesKey& key, const QByteArray& data, QByteArray& out);
// The inverse; fails for empty input, a length that is not a multiple of 8, a refused key or bad
// padding. out may be empty on success.
bool DecryptBuffer(const DesKey& key, const QByteArray& data, QByteArray& out);

// The word-rotation layer laid over the cipher text: 32-bit little-endian word k turns left by
// (k + 1) mod 32 bits. Trailing bytes beyond the last whole word stay as they are.
void RotateWordsLeft(char* buffer, qsizetype length);
void RotateWordsRight(char* buffer, qsizetype length);
