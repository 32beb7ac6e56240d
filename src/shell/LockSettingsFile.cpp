#include "LockSettingsFile.h"

#include "LockSettings.h"

#include "DataFolder.h"
#include <CipherBuffer.h>
#include <FileAccess.h>
#include <KeyDerivation.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QtGlobal>

namespace {
const char kFixedText[] = "Keystow Editor screen lock settings";

DesKey MachineKey() {
    QByteArray password = LockSettingsFile::MachinePassword();
    DesKey key = KeyFromPassword(password);
    WipeBytes(password);
    return key;
}
} // namespace

QString LockSettingsFile::Path() {
    const QString folder = KeystowDataFolder();
    if (folder.isEmpty())
        return QString();
    return QDir(folder).filePath(QStringLiteral("locksettings.dat"));
}

QByteArray LockSettingsFile::MachinePassword() {
    QByteArray id;
    QFile file(QStringLiteral("/etc/machine-id"));
    if (file.open(QIODevice::ReadOnly))
        id = file.read(256).trimmed();
    if (id.isEmpty())
        id = QSysInfo::machineUniqueId();
    return id + kFixedText;
}

bool LockSettingsFile::Read(const QString& path, LockSettings& record) {
    if (path.isEmpty())
        return false;
    QByteArray cipher;
    if (!ReadWholeFile(path, cipher))
        return false;
    DesKey key = MachineKey();
    const bool taken = Decrypt(cipher, key, record);
    WipeKey(key);
    // A file of an older version holds the screen password itself, under a key anybody on this
    // machine can derive: it is replaced at once by one that holds the verifier.
    if (taken && record.UpgradePassword()) {
        QString why;
        if (!Write(path, record, &why))
            qWarning("The lock settings file %s could not be rewritten: %s", qPrintable(path),
                     qPrintable(why));
    }
    return taken;
}

bool LockSettingsFile::Decrypt(const QByteArray& cipher, const DesKey& key, LockSettings& record) {
    QByteArray plain;
    const bool decrypted = DecryptBuffer(key, cipher, plain);
    // A short plain content is a damaged or foreign file: ignored as a whole.
    const bool taken = decrypted && record.FromBytes(plain);
    WipeBytes(plain);
    return taken;
}

bool LockSettingsFile::Write(const QString& path, const LockSettings& record, QString* reason) {
    const auto fail = [reason](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (path.isEmpty())
        return fail(QStringLiteral("There is no folder for the program's data."));
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("The folder %1 could not be created.")
                        .arg(QDir::toNativeSeparators(folder)));
    DesKey key = MachineKey();
    QByteArray plain = record.ToBytes();
    QByteArray cipher;
    const bool encrypted = EncryptBuffer(key, plain, cipher);
    WipeKey(key);
    WipeBytes(plain);
    if (!encrypted)
        return fail(QStringLiteral("The settings could not be encrypted."));

    // This file is the owner's alone, whatever mode an older one had.
    WriteOptions ownerOnly;
    ownerOnly.keepAccess = false;
    QString why;
    if (!WriteWholeFile(path, cipher, &why, ownerOnly))
        return fail(why);
    return true;
}
