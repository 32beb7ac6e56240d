#pragma once

// An independent model of the file format, written from its description and built on the
// lowest DES primitives only (unchecked key schedule, ECB blocks), so that the tests compare
// two separate implementations rather than one with itself.

#include <QByteArray>
#include <QString>

#include <array>

std::array<unsigned char, 8> ReferenceKey(const QByteArray& password);
// The bytes of a whole container file for the text under the password (code-page bytes).
QByteArray ReferenceContainer(const QByteArray& password, const QString& text);
// Decrypts a whole container; false when the padding is wrong.
bool ReferenceOpen(const QByteArray& password, const QByteArray& file, QString& text);
