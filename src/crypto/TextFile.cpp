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
#include <memory>

namespace {

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

// Undoes the word rotation and the cipher of a compatible container in place, one piece at a
// time as the file is read, while the piece is still in the processor's cache; tells progress
// each time more of the text is final. Pieces come in order, each starting at a multiple of
// the 128 bytes after which the rotation repeats.
class ContainerDecoder {
public:
    ContainerDecoder(const QString& password, QString& text, const TextProgress& progress)
        : m_text(text), m_progress(progress) {
        DesKey key;
        if (KeyForPassword(password, key, &m_keyReason)) {
            m_cipher = std::make_unique<DesCbcStream>(key, false);
            WipeKey(key);
        }
    }

    void Piece(char* piece, qint64 length) {
        if (!m_cipher || !m_cipher->ok() || m_done % 128 != 0)
            return;
        RotateWordsRight(piece, length);
        m_cipher->Process(piece, length);
        if constexpr (Q_BYTE_ORDER != Q_LITTLE_ENDIAN) {
            QChar* units = m_text.data() + m_done / 2;
            for (qint64 i = 0; i < length / 2; ++i)
                units[i] = QChar(qFromLittleEndian<quint16>(piece + i * 2));
        }
        m_done += length;
        // The last block may be padding: it is final only once the whole file is in.
        Publish((m_done - kDesBlockSize) / 2);
    }

    qint64 Done() const { return m_done; }

    // The length the text keeps, or -1 when it does not decrypt (why says so).
    qsizetype Finish(qint64 size, QString* why) {
        if (!m_cipher) {
            *why = m_keyReason;
            return -1;
        }
        const int padding =
            m_cipher->ok() && m_done == size
                ? PaddingLength(reinterpret_cast<const char*>(m_text.constData()), size)
                : -1;
        if (padding < 0) {
            *why = QStringLiteral("The password is wrong or the file is damaged.");
            return -1;
        }
        Publish((size - padding) / 2);
        return m_zero < 0 ? m_published : m_zero;
    }

private:
    // Makes the text up to final known, up to its first zero code unit, which ends the text
    // as it always has for readers of this format.
    void Publish(qsizetype final) {
        if (m_zero >= 0 || final <= m_published)
            return;
        const qsizetype zero =
            QStringView(m_text).mid(m_published, final - m_published).indexOf(QChar(0));
        const qsizetype end = zero < 0 ? final : m_published + zero;
        if (m_progress && end > m_published)
            m_progress(QStringView(m_text).mid(m_published, end - m_published));
        m_published = end;
        if (zero >= 0)
            m_zero = end;
    }

    QString& m_text;
    const TextProgress& m_progress;
    std::unique_ptr<DesCbcStream> m_cipher;
    QString m_keyReason;
    qint64 m_done = 0;
    qsizetype m_published = 0;
    qsizetype m_zero = -1;
};

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
                        QString* reason, const ReadOptions& options, FileFormat* format,
                        const TextProgress& progress) {
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
    ContainerDecoder decoder(password, text, progress);
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
        if (blocks && size > 0) {
            char* bytes = allocate(size);
            std::memcpy(bytes, whole.constData(), static_cast<size_t>(size));
            decoder.Piece(bytes, size);
        }
        WipeBytes(whole);
        if (!blocks)
            return fail(LoadResult::NotDecrypted,
                        QStringLiteral("The file is damaged or was not written by this program."));
    } else {
        ReadOptions container = options;
        container.multipleOf = kDesBlockSize; // checked before the buffer is allocated
        container.eachPiece = [&decoder](char* piece, qint64 length) {
            decoder.Piece(piece, length);
        };
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
    // Inputs read to their end (a /proc file) come whole, without pieces.
    if (decoder.Done() == 0)
        decoder.Piece(reinterpret_cast<char*>(text.data()), size);
    QString why;
    const qsizetype kept = decoder.Finish(size, &why);
    if (kept < 0)
        return fail(LoadResult::NotDecrypted, why);
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
