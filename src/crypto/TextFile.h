#pragma once

#include "FileAccess.h"

#include <QByteArray>
#include <QString>

enum class LoadResult { Loaded, NotRead, NotDecrypted };
enum class SaveResult { Saved, PasswordRefused, NotWritten };

// Stores the text in an encrypted container: UTF-16LE, padding, DES-CBC, word rotation.
// An empty text is stored as one block of padding so that deleting everything really deletes.
// reason (when given) says why a save failed, in words for the person; it never holds secrets.
// A text holding a zero character (U+0000) is refused (NotWritten, the reason names its line
// and column), since readers of the format end the text there; the file stays as it was.
// written, when given, receives the saved file's identity (see WriteWholeFileFrom).
SaveResult SaveTextFile(const QString& path, const QString& password, const QString& text,
                        QString* reason = nullptr, FileIdentity* written = nullptr);
// The same, for UTF-8 text.
SaveResult SaveTextFileUtf8(const QString& path, const QString& password, const QByteArray& text,
                            QString* reason = nullptr, FileIdentity* written = nullptr);

// Loads a container. A zero code unit inside the content ends the text. options say which
// inputs are accepted and how large they may be; a size that is not a multiple of the block
// size is NotDecrypted and is found before anything is allocated.
LoadResult LoadTextFile(const QString& path, const QString& password, QString& text,
                        QString* reason = nullptr, const ReadOptions& options = ReadOptions());
LoadResult LoadTextFileUtf8(const QString& path, const QString& password, QByteArray& text,
                            QString* reason = nullptr, const ReadOptions& options = ReadOptions());

// Finds the first zero character: line and column (from 1; CR LF, CR and LF each end a line).
// False when there is none.
bool FindZeroCharacter(const QString& text, int& line, int& column);
