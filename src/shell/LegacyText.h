#pragma once

#include <QByteArray>
#include <QString>

// The short texts of the lock settings record (screen password, prompt) are single-byte text
// in the legacy code page, the same one file passwords are converted to. Text that the code
// page cannot hold is refused rather than stored altered.

// The text as stored; false when the code page cannot hold it or it needs more than 259
// bytes. Empty text is stored as no bytes.
bool TextToLegacyBytes(const QString& text, QByteArray& out);
// Stored bytes back to text; a byte the code page leaves unassigned shows as its own value.
QString LegacyBytesToText(const QByteArray& bytes);
