#include "TextFile.h"

#include "CipherBuffer.h"
#include "FileAccess.h"
#include "KeyDerivation.h"
#include "PasswordEncoding.h"

#include <QtEndian>

#include <openssl/crypto.h>

namespace {

void SetReason(QString* reason, const QString& text) {
    if (reason)
        *reason = text;
}

// Derives the key, or says why the password cannot be used.
bool KeyForPassword(const QString& password, DesKey& key, QString* reason) {
    QByteArray bytes;
    const PasswordCheck check = PasswordToLegacyBytes(password, bytes);
    if (check != PasswordCheck::Ok) {
        SetReason(reason, PasswordCheckMessage(check));
        return false;
    }
    key = KeyFromPassword(bytes);
    WipeBytes(bytes);
    if (CheckKey(key) != 0) {
        WipeKey(key);
        SetReason(reason, PasswordCheckMessage(PasswordCheck::WeakKey));
        return false;
    }
    return true;
}

// The text as UTF-16LE code units followed by the padding, built in one buffer so that large
// documents are converted and encrypted without further copies.
QByteArray PaddedUtf16(const QString& text) {
    const qsizetype plainBytes = text.size() * 2;
    const int n = 8 - static_cast<int>(plainBytes % 8);
    QByteArray buffer(plainBytes + n, static_cast<char>(n));
    char* out = buffer.data();
    const ushort* units = text.utf16();
    if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
        memcpy(out, units, static_cast<size_t>(plainBytes));
    } else {
        for (qsizetype i = 0; i < text.size(); ++i)
            qToLittleEndian<quint16>(units[i], out + i * 2);
    }
    return buffer;
}

} // namespace

SaveResult SaveTextFile(const QString& path, const QString& password, const QString& text,
                        QString* reason) {
    DesKey key;
    if (!KeyForPassword(password, key, reason))
        return SaveResult::PasswordRefused;
    // An empty text is stored as a single block of padding: it must still replace the old file.
    QByteArray buffer = PaddedUtf16(text);
    const bool encrypted = CbcEncryptInPlace(key, buffer.data(), buffer.size());
    WipeKey(key);
    if (!encrypted) {
        WipeBytes(buffer);
        SetReason(reason, PasswordCheckMessage(PasswordCheck::WeakKey));
        return SaveResult::PasswordRefused;
    }
    RotateWordsLeft(buffer.data(), buffer.size());
    if (!WriteWholeFile(path, buffer, reason))
        return SaveResult::NotWritten;
    return SaveResult::Saved;
}

SaveResult SaveTextFileUtf8(const QString& path, const QString& password, const QByteArray& text,
                            QString* reason) {
    QString wide = QString::fromUtf8(text);
    const SaveResult result = SaveTextFile(path, password, wide, reason);
    if (!wide.isEmpty())
        OPENSSL_cleanse(wide.data(), static_cast<size_t>(wide.size()) * sizeof(QChar));
    return result;
}

LoadResult LoadTextFile(const QString& path, const QString& password, QString& text,
                        QString* reason) {
    text.clear();
    QByteArray buffer;
    if (!ReadWholeFile(path, buffer, reason))
        return LoadResult::NotRead;
    if (buffer.isEmpty()) {
        SetReason(reason, QStringLiteral("The file is empty."));
        return LoadResult::NotRead;
    }
    if (buffer.size() % 8 != 0) {
        SetReason(reason,
                  QStringLiteral("The file is damaged or was not written by this program."));
        return LoadResult::NotDecrypted;
    }
    RotateWordsRight(buffer.data(), buffer.size());
    DesKey key;
    if (!KeyForPassword(password, key, reason))
        return LoadResult::NotDecrypted;
    const bool decrypted = CbcDecryptInPlace(key, buffer.data(), buffer.size());
    WipeKey(key);
    const int padding = decrypted ? PaddingLength(buffer.constData(), buffer.size()) : -1;
    if (padding < 0) {
        WipeBytes(buffer);
        SetReason(reason, QStringLiteral("The password is wrong or the file is damaged."));
        return LoadResult::NotDecrypted;
    }
    const qsizetype units = (buffer.size() - padding) / 2;
    text.resize(units);
    QChar* out = text.data();
    const char* in = buffer.constData();
    qsizetype length = 0;
    // A zero code unit ends the text, as it always has for readers of this format.
    for (; length < units; ++length) {
        const quint16 unit = qFromLittleEndian<quint16>(in + length * 2);
        if (unit == 0)
            break;
        out[length] = QChar(unit);
    }
    text.truncate(length);
    WipeBytes(buffer);
    return LoadResult::Loaded;
}

LoadResult LoadTextFileUtf8(const QString& path, const QString& password, QByteArray& text,
                            QString* reason) {
    QString wide;
    const LoadResult result = LoadTextFile(path, password, wide, reason);
    text = wide.toUtf8();
    if (!wide.isEmpty())
        OPENSSL_cleanse(wide.data(), static_cast<size_t>(wide.size()) * sizeof(QChar));
    return result;
}
