#pragma once

#include <QByteArray>
#include <QString>

// Reads a whole existing file, holding an advisory lock while it reads. On failure returns
// false and, when asked, a short reason ("No such file or directory", ...).
bool ReadWholeFile(const QString& path, QByteArray& out, QString* reason = nullptr);

// Replaces the file's contents atomically: a temporary file in the same folder is written,
// flushed and synced, then renamed over the target. On failure the old file is untouched and
// the temporary file is gone. New files are readable and writable by the owner only.
bool WriteWholeFile(const QString& path, const QByteArray& data, QString* reason = nullptr);
