#include "StrongHeader.h"

#include <QtEndian>

#include <sodium.h>

#include <cstring>

namespace {

const char kMagic[kStrongMagicSize + 1] = "\x89KSTRONG\r\n\x1a\n";

const StrongParams* g_testParams = nullptr;

} // namespace

StrongParams DefaultStrongParams() {
    if (g_testParams != nullptr)
        return *g_testParams;
    return {5, quint64(128) << 20};
}

void SetDefaultStrongParamsForTesting(const StrongParams* params) {
    g_testParams = params;
}

QByteArray StrongMagic() {
    return QByteArray(kMagic, kStrongMagicSize);
}

bool HasStrongMagic(const char* data, qint64 size) {
    return size >= kStrongMagicSize && std::memcmp(data, kMagic, kStrongMagicSize) == 0;
}

QString CheckStrongParams(const StrongParams& params) {
    if (params.ops > kStrongMaxOps || params.memory > kStrongMaxMemory)
        return QStringLiteral("It asks for a key derivation of %1 passes over %2 MiB; this program "
                              "accepts at most %3 passes and %4 MiB.")
            .arg(params.ops)
            .arg(params.memory >> 20)
            .arg(kStrongMaxOps)
            .arg(kStrongMaxMemory >> 20);
    if (params.ops < crypto_pwhash_OPSLIMIT_MIN || params.memory < crypto_pwhash_MEMLIMIT_MIN)
        return QStringLiteral("Its key derivation parameters are below what the algorithm allows.");
    return QString();
}

HeaderCheck StrongHeader::Parse(const char* data, qint64 size, QString* reason) {
    if (!HasStrongMagic(data, size))
        return HeaderCheck::NotStrong;
    const auto refuse = [reason](HeaderCheck check, const QString& why) {
        if (reason != nullptr)
            *reason = why;
        return check;
    };
    if (size < kStrongHeaderSize)
        return refuse(HeaderCheck::Truncated, QString());
    const auto* bytes = reinterpret_cast<const uchar*>(data);
    version = qFromLittleEndian<quint16>(bytes + 12);
    kdf = bytes[14];
    if (version != kStrongVersion)
        return refuse(HeaderCheck::Refused,
                      QStringLiteral("It was written in version %1 of the strong format, which "
                                     "this program does not know.")
                          .arg(version));
    if (kdf != kStrongKdfArgon2id || bytes[15] != 0)
        return refuse(HeaderCheck::Refused,
                      QStringLiteral("It names a key derivation this program does not know."));
    params.ops = qFromLittleEndian<quint32>(bytes + 16);
    params.memory = qFromLittleEndian<quint64>(bytes + 20);
    const QString bounds = CheckStrongParams(params);
    if (!bounds.isEmpty())
        return refuse(HeaderCheck::Refused, bounds);
    std::memcpy(salt.data(), bytes + 28, salt.size());
    std::memcpy(streamHeader.data(), bytes + 44, streamHeader.size());
    std::memcpy(tag.data(), bytes + kStrongAuthenticatedSize, tag.size());
    return HeaderCheck::Ok;
}

QByteArray StrongHeader::Serialize() const {
    QByteArray out(kStrongHeaderSize, '\0');
    auto* bytes = reinterpret_cast<uchar*>(out.data());
    std::memcpy(bytes, kMagic, kStrongMagicSize);
    qToLittleEndian<quint16>(version, bytes + 12);
    bytes[14] = kdf;
    bytes[15] = 0;
    qToLittleEndian<quint32>(params.ops, bytes + 16);
    qToLittleEndian<quint64>(params.memory, bytes + 20);
    std::memcpy(bytes + 28, salt.data(), salt.size());
    std::memcpy(bytes + 44, streamHeader.data(), streamHeader.size());
    std::memcpy(bytes + kStrongAuthenticatedSize, tag.data(), tag.size());
    return out;
}
