#pragma once

#include <QByteArray>

#include <array>

// A single-DES key: 8 bytes, each of odd parity.
using DesKey = std::array<unsigned char, 8>;

// The key that DES_string_to_key derives from the password bytes (already in the legacy code
// page). Never fails; the empty password gives a weak key that the cipher refuses.
DesKey KeyFromPassword(const QByteArray& legacyPassword);

// 0 when the key may be used, -1 for a parity fault, -2 for a weak or semi-weak key.
int CheckKey(const DesKey& key);

// Overwrites key material held in our own buffers.
void WipeKey(DesKey& key);
void WipeBytes(QByteArray& bytes);
