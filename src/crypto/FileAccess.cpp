#include "FileAccess.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/file.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>

namespace {

// Holds an advisory exclusive lock for as long as it lives. Other programs that honour
// advisory locks (and our own processes) see the file as busy while it is read or written.
class AdvisoryLock {
public:
    explicit AdvisoryLock(int fd) : m_fd(fd) {
        m_ok = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    }
    ~AdvisoryLock() {
        if (m_ok)
            ::flock(m_fd, LOCK_UN);
    }
    AdvisoryLock(const AdvisoryLock&) = delete;
    AdvisoryLock& operator=(const AdvisoryLock&) = delete;
    bool ok() const { return m_ok; }

private:
    int m_fd;
    bool m_ok = false;
};

void SetReason(QString* reason, const QString& text) {
    if (reason)
        *reason = text;
}

} // namespace

bool ReadWholeFileInto(const QString& path, const std::function<char*(qint64 size)>& allocate,
                       qint64& size, QString* reason) {
    size = 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        SetReason(reason, file.errorString());
        return false;
    }
    AdvisoryLock lock(file.handle());
    if (!lock.ok()) {
        SetReason(reason, QStringLiteral("The file is in use by another program."));
        return false;
    }
    // The size is taken now, under the lock, so the buffer never outgrows the file.
    const qint64 length = file.size();
    char* buffer = length >= 0 && length <= std::numeric_limits<qint32>::max() * qint64(64)
                       ? allocate(length)
                       : nullptr;
    if (!buffer && length != 0) {
        SetReason(reason, QStringLiteral("The file is too large."));
        return false;
    }
    qint64 done = 0;
    while (done < length) {
        const qint64 n = file.read(buffer + done, length - done);
        if (n <= 0)
            break;
        done += n;
    }
    if (done != length) {
        SetReason(reason, file.error() != QFileDevice::NoError
                              ? file.errorString()
                              : QStringLiteral("The file changed while it was read."));
        return false;
    }
    size = length;
    return true;
}

bool ReadWholeFile(const QString& path, QByteArray& out, QString* reason) {
    out.clear();
    qint64 size = 0;
    const bool ok = ReadWholeFileInto(
        path,
        [&out](qint64 length) {
            out.resize(static_cast<qsizetype>(length));
            return out.data();
        },
        size, reason);
    if (!ok)
        out.clear();
    return ok;
}

bool WriteAll(QIODevice& out, const char* data, qint64 length) {
    qint64 done = 0;
    while (done < length) {
        const qint64 n = out.write(data + done, length - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool WriteWholeFileFrom(const QString& path, const std::function<bool(QIODevice& out)>& produce,
                        QString* reason) {
    const bool existed = QFileInfo::exists(path);
    // Keep others out of the old file while its replacement is prepared.
    QFile old(path);
    std::unique_ptr<AdvisoryLock> lock;
    if (existed && old.open(QIODevice::ReadOnly)) {
        lock = std::make_unique<AdvisoryLock>(old.handle());
        if (!lock->ok()) {
            SetReason(reason, QStringLiteral("The file is in use by another program."));
            return false;
        }
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        SetReason(reason, file.errorString());
        return false;
    }
    if (!existed)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (!produce(file)) {
        SetReason(reason, file.errorString());
        file.cancelWriting();
        return false;
    }
    // commit() flushes, syncs and renames; on failure the temporary file is removed.
    if (!file.commit()) {
        SetReason(reason, file.errorString());
        return false;
    }
    return true;
}

bool WriteWholeFile(const QString& path, const QByteArray& data, QString* reason) {
    return WriteWholeFileFrom(
        path, [&data](QIODevice& out) { return WriteAll(out, data.constData(), data.size()); },
        reason);
}
