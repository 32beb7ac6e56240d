#pragma once

// A real 256 KiB tmpfs, filled up by the test, for saves that meet a full disk. Needs root.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/mount.h>
#include <unistd.h>

class FullDisk {
public:
    ~FullDisk() { ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH); }

    // Empty when mounted, else why not (the test then skips).
    QString Mount() {
        if (::geteuid() != 0)
            return QStringLiteral("mounting a tmpfs needs root");
        const QByteArray at = QFile::encodeName(m_dir.path());
        return ::mount("tmpfs", at.constData(), "tmpfs", 0, "size=256k") == 0
                   ? QString()
                   : QStringLiteral("mount -t tmpfs failed: %1").arg(qt_error_string());
    }

    // Takes every byte that is left with a hidden file.
    void Fill() {
        QFile filler(Path(QStringLiteral(".filler")));
        if (filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            for (qint64 piece = 4096; piece > 0; piece /= 2)
                while (filler.write(QByteArray(piece, 'x')) == piece) {
                }
    }

    QString Path(const QString& name) const { return m_dir.filePath(name); }
    // What is on it besides the filler (a temporary file left behind would be hidden too).
    QStringList Names() const {
        QStringList names = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
        names.removeOne(QStringLiteral(".filler"));
        return names;
    }

private:
    QTemporaryDir m_dir;
};
