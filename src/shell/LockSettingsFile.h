#pragma once

#include <KeyDerivation.h>

#include <QByteArray>
#include <QString>

class LockSettings;

// locksettings.dat: the lock settings record encrypted as one buffer (padding, DES-CBC, no
// word rotation) under a password that this machine derives by itself, so that nobody is
// asked for it and it is the same at every run.
namespace LockSettingsFile {
// The file's path in the data folder; empty when there is no data folder.
QString Path();
// The machine's password: its machine id and a fixed text.
QByteArray MachinePassword();
// Replaces record with the file's content. False, leaving record as it was, when the file is
// missing, does not decrypt or holds fewer than 1080 bytes. A file that holds a screen password
// as older versions stored it is rewritten at once with the password's verifier instead.
bool Read(const QString& path, LockSettings& record);
// The decrypting half of Read: replaces record with what the cipher text holds under the key.
// False, leaving record as it was, when it does not decrypt or holds fewer than 1080 bytes.
bool Decrypt(const QByteArray& cipher, const DesKey& key, LockSettings& record);
// Encrypts and writes the record through a temporary file and a rename. The file is readable
// and writable by its owner only, whatever mode an earlier file had: the password's verifier
// could be attacked by guessing. False, with a short reason when asked, when that failed; the old
// file then stays.
bool Write(const QString& path, const LockSettings& record, QString* reason = nullptr);
} // namespace LockSettingsFile
