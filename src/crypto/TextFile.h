#pragma once

#include "FileAccess.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <functional>

// Damaged: a strong file whose content fails its check after the password was accepted.
enum class LoadResult { Loaded, NotRead, NotDecrypted, Damaged };
// Compatible: DES, readable by every version; Strong: Argon2id and XChaCha20-Poly1305.
enum class FileFormat { Compatible, Strong };
enum class SaveResult { Saved, PasswordRefused, NotWritten };
// Receives a newly known part of a text as it is loaded.
using TextProgress = std::function<void(QStringView part)>;

// Stores the text in an encrypted container: UTF-16LE, padding, DES-CBC, word rotation.
// An empty text is stored as one block of padding so that deleting everything really deletes.
// reason (when given) says why a save failed, in words for the person; it never holds secrets.
// A text holding a zero character (U+0000) is refused (NotWritten, the reason names its line
// and column), since readers of the format end the text there; the file stays as it was.
// format Strong writes the strong container instead (UTF-8 text, same zero and size rules).
// written, when given, receives the saved file's identity (see WriteWholeFileFrom).
SaveResult SaveTextFile(const QString& path, const QString& password, const QString& text,
                        QString* reason = nullptr, FileFormat format = FileFormat::Compatible,
                        FileIdentity* written = nullptr);
// The same, for UTF-8 text.
SaveResult SaveTextFileUtf8(const QString& path, const QString& password, const QByteArray& text,
                            QString* reason = nullptr, FileFormat format = FileFormat::Compatible,
                            FileIdentity* written = nullptr);

// Loads a container. A zero code unit inside the content ends the text. options say which
// inputs are accepted and how large they may be; a size that is not a multiple of the block
// size is NotDecrypted and is found before anything is allocated. A file that begins with the
// strong container's magic is read as that container; format (when given) says which it was.
// progress, when given, is called on the reading thread each time more of a compatible file's
// text is known, with the part newly known (valid only during the call), so that a reader can
// start on the text while the rest is decrypted. What it was given is final only once the load
// returns Loaded. All of a compatible file's text passes through it; none of a strong one's.
LoadResult LoadTextFile(const QString& path, const QString& password, QString& text,
                        QString* reason = nullptr, const ReadOptions& options = ReadOptions(),
                        FileFormat* format = nullptr, const TextProgress& progress = {});
LoadResult LoadTextFileUtf8(const QString& path, const QString& password, QByteArray& text,
                            QString* reason = nullptr, const ReadOptions& options = ReadOptions(),
                            FileFormat* format = nullptr);

// Finds the first zero character: line and column (from 1; CR LF, CR and LF each end a line).
// False when there is none.
bool FindZeroCharacter(const QString& text, int& line, int& column);
