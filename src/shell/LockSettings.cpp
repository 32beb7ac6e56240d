#include "LockSettings.h"

#include <PasswordVerifier.h>

#include <QtEndian>

#include <openssl/crypto.h>

#include <cstring>

LockSettings::LockSettings() {
    m_bytes.fill(0);
}

LockSettings::~LockSettings() {
    Wipe();
}

bool LockSettings::setScreenPassword(const QByteArray& legacyBytes) {
    if (legacyBytes.isEmpty()) {
        WriteText(kScreenPasswordOffset, QByteArray());
        return true;
    }
    // The verifier depends on the whole password, so it is made of the part the field could
    // have held: a password cut there still unlocks as before.
    const QByteArray verifier = PasswordVerifier::Make(QByteArray::fromRawData(
        legacyBytes.constData(), qMin<qsizetype>(legacyBytes.size(), kTextFieldSize - 1)));
    if (verifier.isEmpty())
        return false;
    WriteText(kScreenPasswordOffset, verifier);
    return true;
}

bool LockSettings::IsScreenPassword(const QByteArray& legacyBytes) const {
    QByteArray stored = ReadText(kScreenPasswordOffset);
    // An older record not upgraded yet holds the password itself.
    const bool right = PasswordVerifier::LooksLikeVerifier(stored)
                           ? PasswordVerifier::Check(stored, legacyBytes)
                           : stored == legacyBytes;
    OPENSSL_cleanse(stored.data(), static_cast<size_t>(stored.size()));
    return right;
}

bool LockSettings::holdsPlainPassword() const {
    return hasScreenPassword() &&
           !PasswordVerifier::LooksLikeVerifier(ReadText(kScreenPasswordOffset));
}

bool LockSettings::UpgradePassword() {
    if (!holdsPlainPassword())
        return false;
    QByteArray password = ReadText(kScreenPasswordOffset);
    const bool upgraded = setScreenPassword(password);
    OPENSSL_cleanse(password.data(), static_cast<size_t>(password.size()));
    return upgraded;
}

quint32 LockSettings::ReadU32(int offset) const {
    return qFromLittleEndian<quint32>(m_bytes.data() + offset);
}

void LockSettings::WriteU32(int offset, quint32 value) {
    qToLittleEndian<quint32>(value, m_bytes.data() + offset);
}

QByteArray LockSettings::ReadText(int offset) const {
    const char* start = m_bytes.data() + offset;
    // A damaged record may lack the terminating zero: never read past the field.
    const void* end = std::memchr(start, 0, kTextFieldSize - 1);
    const int length =
        end ? static_cast<int>(static_cast<const char*>(end) - start) : kTextFieldSize - 1;
    return QByteArray(start, length);
}

void LockSettings::WriteText(int offset, const QByteArray& text) {
    char* start = m_bytes.data() + offset;
    std::memset(start, 0, kTextFieldSize);
    const int length = static_cast<int>(qMin<qsizetype>(text.size(), kTextFieldSize - 1));
    std::memcpy(start, text.constData(), static_cast<size_t>(length));
}

QByteArray LockSettings::ToBytes() const {
    return QByteArray(m_bytes.data(), kSize);
}

bool LockSettings::FromBytes(const QByteArray& bytes) {
    if (bytes.size() < kSize)
        return false;
    std::memcpy(m_bytes.data(), bytes.constData(), kSize);
    return true;
}

void LockSettings::Wipe() {
    OPENSSL_cleanse(m_bytes.data(), m_bytes.size());
}
