#pragma once

#include <QByteArray>
#include <QString>

enum class LoadResult { Loaded, NotRead, NotDecrypted };
enum class SaveResult { Saved, PasswordRefused, NotWritten };

// Stores the text in an encrypted container: UTF-16LE, padding, DES-CBC, word rotation.
// An empty text is stored as one block of padding so that deleting everything really deletes.
// reason (when given) says why a save failed, in words for the person; it never holds secrets.
SaveResult SaveTextFile(const QString& path, const QString& password, const QString& text,
                        QString* reason = nullptr);
// The same, for UTF-8 text.
SaveResult SaveTextFileUtf8(const QString& path, const QString& password, const QByteArray& text,
                            QString* reason = nullptr);

// Loads a container. A zero code unit inside the content ends the text.
LoadResult LoadTextFile(const QString& path, const QString& password, QString& text,
                        QString* reason = nullptr);
LoadResult LoadTextFileUtf8(const QString& path, const QString& password, QByteArray& text,
                            QString* reason = nullptr);
