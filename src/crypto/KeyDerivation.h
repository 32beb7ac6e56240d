#pragma once

#include <QByteArray>

#include <array>

// DES works on blocks of this many bytes; containers are padded to a whole number of them.
constexpr int kDesBlockSize = 8;

// A single-DES key: one block, each byte of odd parity.
using DesKey = std::array<unsigned char, kDesBlockSize>;

// The key that DES_string_to_key derives from the password bytes (already in the legacy code
// page). Never fails; the empty password gives a weak key that the cipher refuses.
DesKey KeyFromPassword(const QByteArray& legacyPassword);

// 0 when the key may be used, -1 for a parity fault, -2 for a weak or semi-weak key.
int CheckKey(const DesKey& key);

// Overwrites key material held in our own buffers.
void WipeKey(DesKey& key);
void WipeBytes(QByteArray& bytes);
