#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

#include <functional>

// Reads a whole existing file, holding an advisory lock while it reads. On failure returns
// false and, when asked, a short reason ("No such file or directory", ...).
bool ReadWholeFile(const QString& path, QByteArray& out, QString* reason = nullptr);

// The same into memory the caller provides once the size is known: allocate returns room for
// that many bytes (or null to refuse). Lets large documents be read straight into their
// final buffer. size receives the number of bytes read.
bool ReadWholeFileInto(const QString& path, const std::function<char*(qint64 size)>& allocate,
                       qint64& size, QString* reason = nullptr);

// Replaces the file's contents atomically: a temporary file in the same folder is written,
// flushed and synced, then renamed over the target. On failure the old file is untouched and
// the temporary file is gone. New files are readable and writable by the owner only.
bool WriteWholeFile(const QString& path, const QByteArray& data, QString* reason = nullptr);

// The same, with the contents written piece by piece by produce, which returns false when a
// write failed (the old file then stays as it was).
bool WriteWholeFileFrom(const QString& path, const std::function<bool(QIODevice& out)>& produce,
                        QString* reason = nullptr);

// Writes all bytes, or returns false.
bool WriteAll(QIODevice& out, const char* data, qint64 length);
