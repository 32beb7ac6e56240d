#include "TextFile.h"

#include "CipherBuffer.h"
#include "DesCbcStream.h"
#include "FileAccess.h"
#include "KeyDerivation.h"
#include "PasswordEncoding.h"
#include "StrongTextFile.h"

#include <QFileInfo>
#include <QIODevice>
#include <QtEndian>

#include <openssl/crypto.h>

#include <cstring>

namespace {

void SetReason(QString* reason, const QString& text) {
    if (reason)
        *reason = text;
}

void WipeString(QString& text) {
    if (!text.isEmpty())
        OPENSSL_cleanse(text.data(), static_cast<size_t>(text.size()) * sizeof(QChar));
    text.clear();
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

// Text goes through the cipher in pieces of this many code units: 1 MiB, a multiple of the
// 128 bytes after which the word rotation repeats, so each piece rotates on its own.
constexpr qsizetype kPieceUnits = qsizetype(1) << 19;

// Converts, pads, encrypts and rotates the text piece by piece into out, so that a large
// document never needs a second copy of itself in memory.
bool WriteContainer(QIODevice& out, DesCbcStream& cipher, const QString& text) {
    QByteArray piece(kPieceUnits * 2 + kDesBlockSize, Qt::Uninitialized);
    char* bytes = piece.data();
    const ushort* units = text.utf16();
    bool ok = true;
    for (qsizetype at = 0; ok; at += kPieceUnits) {
        const qsizetype count = qMin(kPieceUnits, text.size() - at);
        const bool last = at + count >= text.size();
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            memcpy(bytes, units + at, static_cast<size_t>(count) * 2);
        } else {
            for (qsizetype i = 0; i < count; ++i)
                qToLittleEndian<quint16>(units[at + i], bytes + i * 2);
        }
        qsizetype length = count * 2;
        if (last) {
            // The earlier pieces are whole blocks, so this piece decides the padding.
            const int n = kDesBlockSize - static_cast<int>(length % kDesBlockSize);
            memset(bytes + length, n, static_cast<size_t>(n));
            length += n;
        }
        ok = cipher.Process(bytes, length);
        if (ok) {
            RotateWordsLeft(bytes, length);
            ok = WriteAll(out, bytes, length);
        }
        if (last)
            break;
    }
    OPENSSL_cleanse(bytes, static_cast<size_t>(piece.size()));
    return ok;
}

} // namespace

bool FindZeroCharacter(const QString& text, int& line, int& column) {
    const qsizetype at = text.indexOf(QChar(0));
    if (at < 0)
        return false;
    line = 1;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < at; ++i) {
        const QChar c = text.at(i);
        if (c == u'\n' || (c == u'\r' && (i + 1 >= at || text.at(i + 1) != u'\n'))) {
            ++line;
            lineStart = i + 1;
        }
    }
    column = static_cast<int>(at - lineStart + 1);
    return true;
}

SaveResult SaveTextFile(const QString& path, const QString& password, const QString& text,
                        QString* reason, FileFormat format, FileIdentity* identity) {
    // A zero would end the text for every reader: storing it would lose what follows.
    int line = 0, column = 0;
    if (FindZeroCharacter(text, line, column)) {
        SetReason(reason, QStringLiteral("The text holds a zero character (U+0000) at line %1, "
                                         "column %2. Remove it and save again.")
                              .arg(line)
                              .arg(column));
        return SaveResult::NotWritten;
    }
    if (format == FileFormat::Strong) {
        QByteArray utf8 = text.toUtf8();
        const SaveResult result = SaveStrongFile(path, password, utf8, reason, identity);
        WipeBytes(utf8);
        return result;
    }
    // A file the program could not open again would be as good as lost.
    if (qint64(text.size()) * 2 + kDesBlockSize > kMaxDocumentBytes) {
        SetReason(reason, QStringLiteral("The text is too large to be stored."));
        return SaveResult::NotWritten;
    }
    DesKey key;
    if (!KeyForPassword(password, key, reason))
        return SaveResult::PasswordRefused;
    DesCbcStream cipher(key, true);
    WipeKey(key);
    if (!cipher.ok()) {
        SetReason(reason, PasswordCheckMessage(PasswordCheck::WeakKey));
        return SaveResult::PasswordRefused;
    }
    // An empty text is stored as a single block of padding: it must still replace the old file.
    const bool written = WriteWholeFileFrom(
        path, [&](QIODevice& out) { return WriteContainer(out, cipher, text); }, reason,
        WriteOptions(), identity);
    return written ? SaveResult::Saved : SaveResult::NotWritten;
}

SaveResult SaveTextFileUtf8(const QString& path, const QString& password, const QByteArray& text,
                            QString* reason, FileFormat format, FileIdentity* identity) {
    QString wide = QString::fromUtf8(text);
    const SaveResult result = SaveTextFile(path, password, wide, reason, format, identity);
    WipeString(wide);
    return result;
}

LoadResult LoadTextFile(const QString& path, const QString& password, QString& text,
                        QString* reason, const ReadOptions& options, FileFormat* format) {
    text.clear();
    // A pipe or FIFO can be read once only: it is read whole, and its format told from the
    // bytes that came. A regular file is looked at first, so that a compatible one can be read
    // straight into the text's memory.
    QByteArray whole;
    const bool sequential = !QFileInfo(path).isFile();
    if (sequential && !ReadWholeFile(path, whole, reason, options))
        return LoadResult::NotRead;
    const FileFormat found =
        sequential ? (HasStrongMagic(whole.constData(), whole.size()) ? FileFormat::Strong
                                                                      : FileFormat::Compatible)
                   : DetectFileFormat(path);
    if (format != nullptr)
        *format = found;
    if (found == FileFormat::Strong) {
        QByteArray utf8;
        LoadResult result;
        if (sequential) {
            result = OpenStrongBytes(whole, QFileInfo(path).fileName(), password, reason);
            utf8 = std::move(whole);
        } else {
            result = LoadStrongFile(path, password, utf8, reason, options);
        }
        text = QString::fromUtf8(utf8);
        WipeBytes(utf8);
        return result;
    }
    // The file is read straight into the text's own memory and decrypted there, so a large
    // document needs one buffer, not two.
    qint64 size = 0;
    const auto allocate = [&text](qint64 length) {
        text.resize(static_cast<qsizetype>((length + 1) / 2));
        return reinterpret_cast<char*>(text.data());
    };
    const auto fail = [&text, reason](LoadResult result, const QString& why) {
        WipeString(text);
        if (!why.isEmpty())
            SetReason(reason, why);
        return result;
    };
    if (sequential) {
        size = whole.size();
        const bool blocks = size % kDesBlockSize == 0;
        if (blocks)
            std::memcpy(allocate(size), whole.constData(), static_cast<size_t>(size));
        WipeBytes(whole);
        if (!blocks)
            return fail(LoadResult::NotDecrypted,
                        QStringLiteral("The file is damaged or was not written by this program."));
    } else {
        ReadOptions container = options;
        container.multipleOf = kDesBlockSize; // checked before the buffer is allocated
        switch (ReadWholeFileInto(path, allocate, size, reason, container)) {
        case ReadStatus::Read:
            break;
        case ReadStatus::Failed:
            return fail(LoadResult::NotRead, QString());
        case ReadStatus::BadLength:
            return fail(LoadResult::NotDecrypted, QString());
        }
    }
    if (size == 0)
        return fail(LoadResult::NotRead, QStringLiteral("The file is empty."));
    char* bytes = reinterpret_cast<char*>(text.data());
    RotateWordsRight(bytes, size);
    DesKey key;
    if (!KeyForPassword(password, key, reason))
        return fail(LoadResult::NotDecrypted, QString());
    const bool decrypted = CbcDecryptInPlace(key, bytes, size);
    WipeKey(key);
    const int padding = decrypted ? PaddingLength(bytes, size) : -1;
    if (padding < 0)
        return fail(LoadResult::NotDecrypted,
                    QStringLiteral("The password is wrong or the file is damaged."));
    const qsizetype units = (size - padding) / 2;
    if constexpr (Q_BYTE_ORDER != Q_LITTLE_ENDIAN) {
        for (qsizetype i = 0; i < units; ++i)
            text[i] = QChar(qFromLittleEndian<quint16>(bytes + i * 2));
    }
    // A zero code unit ends the text, as it always has for readers of this format.
    const qsizetype length = QStringView(text).left(units).indexOf(QChar(0));
    const qsizetype kept = length < 0 ? units : length;
    // Nothing of the padding or of what followed a zero stays in memory.
    OPENSSL_cleanse(text.data() + kept, static_cast<size_t>(text.size() - kept) * sizeof(QChar));
    text.truncate(kept);
    return LoadResult::Loaded;
}

LoadResult LoadTextFileUtf8(const QString& path, const QString& password, QByteArray& text,
                            QString* reason, const ReadOptions& options, FileFormat* format) {
    QString wide;
    const LoadResult result = LoadTextFile(path, password, wide, reason, options, format);
    text = wide.toUtf8();
    WipeString(wide);
    return result;
}
