#include "StrongTextFile.h"

#include "StrongContainer.h"

#include <QFile>
#include <QFileInfo>

#include <sodium.h>

namespace {

void SetReason(QString* reason, const QString& text) {
    if (reason != nullptr)
        *reason = text;
}

} // namespace

QString DamagedFileMessage(const QString& fileName) {
    return QStringLiteral("%1 is damaged or has been changed: it cannot be opened.").arg(fileName);
}

FileFormat DetectFileFormat(const QString& path, StrongHeader* header, HeaderCheck* check,
                            QString* reason) {
    // A pipe would lose the bytes looked at; only regular files are looked into.
    if (!QFileInfo(path).isFile())
        return FileFormat::Compatible;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileFormat::Compatible;
    const QByteArray start = file.read(kStrongHeaderSize);
    StrongHeader parsed;
    const HeaderCheck result = parsed.Parse(start.constData(), start.size(), reason);
    if (result == HeaderCheck::NotStrong)
        return FileFormat::Compatible;
    if (header != nullptr)
        *header = parsed;
    if (check != nullptr)
        *check = result;
    return FileFormat::Strong;
}

SaveResult SaveStrongFile(const QString& path, const QString& password, const QByteArray& text,
                          QString* reason, FileIdentity* written) {
    if (password.isEmpty()) {
        SetReason(reason, QStringLiteral("The password is empty."));
        return SaveResult::PasswordRefused;
    }
    if (text.size() + kStrongHeaderSize +
            (text.size() / kStrongChunkSize + 1) * kStrongChunkOverhead >
        kMaxDocumentBytes) {
        SetReason(reason, QStringLiteral("The text is too large to be stored."));
        return SaveResult::NotWritten;
    }
    StrongContainer container;
    container.PrepareNew(DefaultStrongParams());
    if (!container.DeriveKey(password)) {
        SetReason(reason, QStringLiteral("There is not enough memory to derive the key."));
        return SaveResult::NotWritten;
    }
    const bool saved = WriteWholeFileFrom(
        path, [&](QIODevice& out) { return container.Write(out, text.constData(), text.size()); },
        reason, WriteOptions(), written);
    return saved ? SaveResult::Saved : SaveResult::NotWritten;
}

LoadResult LoadStrongFile(const QString& path, const QString& password, QByteArray& text,
                          QString* reason, const ReadOptions& options) {
    text.clear();
    QByteArray file;
    if (!ReadWholeFile(path, file, reason, options))
        return LoadResult::NotRead;
    StrongContainer container;
    QString why;
    switch (container.ReadHeader(file.constData(), file.size(), &why)) {
    case HeaderCheck::Ok:
        break;
    case HeaderCheck::NotStrong: // changed since it was looked at
    case HeaderCheck::Truncated:
        SetReason(reason, DamagedFileMessage(QFileInfo(path).fileName()));
        return LoadResult::Damaged;
    case HeaderCheck::Refused:
        SetReason(reason, why);
        return LoadResult::NotRead;
    }
    if (!container.DeriveKey(password)) {
        SetReason(reason, QStringLiteral("There is not enough memory to derive the key."));
        return LoadResult::NotRead;
    }
    switch (container.Read(file.constData(), file.size(), text)) {
    case StrongStatus::Opened:
        return LoadResult::Loaded;
    case StrongStatus::WrongPassword:
        SetReason(reason, QStringLiteral("The password is wrong or the file is damaged."));
        return LoadResult::NotDecrypted;
    case StrongStatus::Damaged:
        SetReason(reason, DamagedFileMessage(QFileInfo(path).fileName()));
        return LoadResult::Damaged;
    case StrongStatus::Failed:
        break;
    }
    SetReason(reason, QStringLiteral("There is not enough memory to open the file."));
    return LoadResult::NotRead;
}
