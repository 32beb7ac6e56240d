#include "StrongTextFile.h"

#include "StrongContainer.h"

#include <QFile>
#include <QFileInfo>

#include <sodium.h>

namespace {
QString NoMemoryForKey() {
    return QStringLiteral("There is not enough memory to derive the key.");
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
        SetReason(reason, NoMemoryForKey());
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
    const LoadResult result = OpenStrongBytes(file, QFileInfo(path).fileName(), password, reason);
    if (result == LoadResult::Loaded)
        text = std::move(file);
    return result;
}

LoadResult OpenStrongBytes(QByteArray& file, const QString& fileName, const QString& password,
                           QString* reason) {
    const auto fail = [&file](LoadResult result) {
        sodium_memzero(file.data(), static_cast<size_t>(file.size()));
        file.clear();
        return result;
    };
    StrongContainer container;
    QString why;
    switch (container.ReadHeader(file.constData(), file.size(), &why)) {
    case HeaderCheck::Ok:
        break;
    case HeaderCheck::NotStrong: // changed since it was looked at
    case HeaderCheck::Truncated:
        SetReason(reason, DamagedFileMessage(fileName));
        return fail(LoadResult::Damaged);
    case HeaderCheck::Refused:
        SetReason(reason, why);
        return fail(LoadResult::NotRead);
    }
    if (!container.DeriveKey(password)) {
        SetReason(reason, NoMemoryForKey());
        return fail(LoadResult::NotRead);
    }
    // Decrypted in the memory the file was read into: no second buffer of the document's size.
    switch (container.ReadInPlace(file)) {
    case StrongStatus::Opened:
        return LoadResult::Loaded;
    case StrongStatus::WrongPassword:
        SetReason(reason, QStringLiteral("The password is wrong or the file is damaged."));
        return LoadResult::NotDecrypted;
    case StrongStatus::Damaged:
        SetReason(reason, DamagedFileMessage(fileName));
        return LoadResult::Damaged;
    case StrongStatus::Failed:
        break;
    }
    SetReason(reason, QStringLiteral("There is not enough memory to open the file."));
    return LoadResult::NotRead;
}
