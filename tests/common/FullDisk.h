#pragma once

// A real, tiny tmpfs that tests fill up, to see saves meet a full disk. Needs root.

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

class FullDisk {
public:
    ~FullDisk() { Unmount(); }

    // Mounts 256 KiB; false with why (the test then skips with it).
    bool Mount(QString& why) {
        if (::geteuid() != 0) {
            why = QStringLiteral("mounting a tmpfs needs root");
            return false;
        }
        if (!m_dir.isValid()) {
            why = QStringLiteral("no temporary folder");
            return false;
        }
        if (::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0,
                    "size=256k") != 0) {
            why = QStringLiteral("mount -t tmpfs failed: %1")
                      .arg(QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        m_mounted = true;
        return true;
    }

    // Takes every byte that is left.
    void Fill() {
        QFile filler(Path(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
            return;
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
        const QByteArray byte(1, 'x');
        while (filler.write(byte) == 1) {
        }
    }

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    // Everything in it but the filler, hidden names too.
    QStringList Names() const {
        QStringList names =
            QDir(m_dir.path())
                .entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                           QDir::Name);
        names.removeAll(QStringLiteral("filler"));
        return names;
    }

    void Unmount() {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
        m_mounted = false;
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};
