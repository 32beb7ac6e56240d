#pragma once

#include "StrongHeader.h"
#include "TextFile.h"

#include <QByteArray>
#include <QString>

// The strong container holding UTF-8 text, as files on disk.

// Which container a file on disk uses, from its first bytes (no password needed). A file that
// cannot be read, or is not a regular file, counts as the compatible format; header (when given)
// receives a strong file's header, and reason why it is refused when it cannot be used.
FileFormat DetectFileFormat(const QString& path, StrongHeader* header = nullptr,
                            HeaderCheck* check = nullptr, QString* reason = nullptr);

// Writes text in the strong format with the default parameters, through the one write path;
// written, when given, receives the saved file's identity.
SaveResult SaveStrongFile(const QString& path, const QString& password, const QByteArray& text,
                          QString* reason = nullptr, FileIdentity* written = nullptr);

// Reads a strong file whole and decrypts it. A wrong password is NotDecrypted; a file whose
// header matches the password but whose content fails is Damaged, and nothing of it is kept.
LoadResult LoadStrongFile(const QString& path, const QString& password, QByteArray& text,
                          QString* reason = nullptr, const ReadOptions& options = ReadOptions());

// The same for a file already read whole (from a pipe, say): decrypted in file's own memory,
// which holds the text on success and is wiped and emptied otherwise.
LoadResult OpenStrongBytes(QByteArray& file, const QString& fileName, const QString& password,
                           QString* reason = nullptr);

// The message for a damaged strong file, naming it.
QString DamagedFileMessage(const QString& fileName);
