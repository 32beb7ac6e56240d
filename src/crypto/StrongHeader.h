#pragma once

#include <QByteArray>
#include <QString>

#include <array>

// The plaintext header of the strong container (all numbers little-endian):
//   0  12  magic "\x89KSTRONG\r\n\x1a\n"
//  12   2  format version (1)
//  14   1  key derivation id (1: Argon2id version 1.3)
//  15   1  reserved, 0
//  16   4  Argon2id operations
//  20   8  Argon2id memory in bytes
//  28  16  salt
//  44  24  stream header of crypto_secretstream_xchacha20poly1305
//  68  32  crypto_auth tag over bytes 0 to 67 under the header subkey
// The encrypted chunks follow; every chunk takes all 100 header bytes as associated data.

constexpr int kStrongMagicSize = 12;
constexpr int kStrongVersion = 1;
constexpr int kStrongKdfArgon2id = 1;
constexpr int kStrongSaltSize = 16;
constexpr int kStrongStreamHeaderSize = 24;
constexpr int kStrongTagSize = 32;
constexpr int kStrongAuthenticatedSize = 68;
constexpr int kStrongHeaderSize = kStrongAuthenticatedSize + kStrongTagSize;

// Bounds a file's parameters must keep, so that a crafted header cannot make key derivation
// hang or take all memory. The lower bounds are libsodium's own.
constexpr quint32 kStrongMaxOps = 20;
constexpr quint64 kStrongMaxMemory = quint64(1) << 30;

// The key derivation's cost.
struct StrongParams {
    quint32 ops = 0;
    quint64 memory = 0;
};

// What new strong files use: 128 MiB and 5 passes, about 0.4 s of one core here.
StrongParams DefaultStrongParams();
// For tests: cheaper parameters so that many files can be made quickly; null restores the
// default.
void SetDefaultStrongParamsForTesting(const StrongParams* params);

// True when the bytes begin with the strong container's magic.
bool HasStrongMagic(const char* data, qint64 size);
QByteArray StrongMagic();

enum class HeaderCheck {
    Ok,
    NotStrong, // no magic: the compatible format
    Truncated, // the magic, but fewer bytes than a header
    Refused    // an unknown version or algorithm, or parameters out of bounds
};

struct StrongHeader {
    quint16 version = kStrongVersion;
    quint8 kdf = kStrongKdfArgon2id;
    StrongParams params;
    std::array<unsigned char, kStrongSaltSize> salt{};
    std::array<unsigned char, kStrongStreamHeaderSize> streamHeader{};
    std::array<unsigned char, kStrongTagSize> tag{};

    // Reads and checks a header; reason (when given) says why it is refused, for the person.
    HeaderCheck Parse(const char* data, qint64 size, QString* reason = nullptr);
    // The header's 100 bytes.
    QByteArray Serialize() const;
};

// Why a header's parameters cannot be used, or an empty string when they can.
QString CheckStrongParams(const StrongParams& params);
