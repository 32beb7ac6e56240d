#include "FileAccess.h"

#include "FileDescriptor.h"
#include "FileIdentity.h"
#include "FileReplacement.h"

#include <QFile>
#include <QFileInfo>

#include <openssl/crypto.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

namespace {

LockCall g_lockCall = nullptr;
FolderSyncCall g_folderSyncCall = nullptr;

int CallLock(int fd, int operation) {
    return g_lockCall ? g_lockCall(fd, operation) : ::flock(fd, operation);
}

QString ErrorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString InUseText() {
    return QStringLiteral("The file is in use by another program.");
}

QString NoMemoryText(const QString& path) {
    return QStringLiteral("Not enough memory to open %1.").arg(QFileInfo(path).fileName());
}

// Holds an advisory lock for as long as it lives: shared for readers, who do not exclude each
// other, exclusive for a writer. Where the file system has no locks the work goes on without.
class AdvisoryLock {
public:
    AdvisoryLock(int fd, int operation) : m_fd(fd) {
        int rc;
        do
            rc = CallLock(fd, operation | LOCK_NB);
        while (rc != 0 && errno == EINTR);
        if (rc == 0) {
            m_held = true;
            return;
        }
        m_error = errno;
        if (m_error == ENOLCK || m_error == EOPNOTSUPP || m_error == ENOSYS)
            m_error = 0; // no locks here: nobody else can hold one either
    }
    ~AdvisoryLock() {
        if (m_held)
            CallLock(m_fd, LOCK_UN);
    }
    AdvisoryLock(const AdvisoryLock&) = delete;
    AdvisoryLock& operator=(const AdvisoryLock&) = delete;

    // False with a reason when the work must not go on.
    bool Usable(QString* reason) const {
        if (m_error == 0)
            return true;
        SetReason(reason, m_error == EWOULDBLOCK ? InUseText() : ErrorText(m_error));
        return false;
    }

private:
    int m_fd;
    bool m_held = false;
    int m_error = 0;
};

// Reads up to length bytes; returns the count read (short only at the end) or -1.
qint64 ReadFully(int fd, char* buffer, qint64 length) {
    qint64 done = 0;
    while (done < length) {
        const ssize_t n = ::read(fd, buffer + done, static_cast<size_t>(length - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

// Room that grows while a sequential input is read; every copy it leaves behind is wiped,
// since the input may be a password or plain text.
class WipedBuffer {
public:
    ~WipedBuffer() { Release(); }
    char* data() { return m_data.get(); }
    qint64 size() const { return m_size; }
    // Makes room for at least extra more bytes; throws std::bad_alloc.
    char* Reserve(qint64 extra) {
        if (m_size + extra > m_capacity) {
            const qint64 capacity = qMax(m_capacity * 2, m_size + extra);
            std::unique_ptr<char[]> bigger(new char[static_cast<size_t>(capacity)]);
            if (m_size > 0)
                std::memcpy(bigger.get(), m_data.get(), static_cast<size_t>(m_size));
            Release();
            m_data = std::move(bigger);
            m_capacity = capacity;
        }
        return m_data.get() + m_size;
    }
    void Grow(qint64 n) { m_size += n; }

private:
    void Release() {
        if (m_data)
            OPENSSL_cleanse(m_data.get(), static_cast<size_t>(m_capacity));
        m_data.reset();
    }
    std::unique_ptr<char[]> m_data;
    qint64 m_size = 0;
    qint64 m_capacity = 0;
};

char* AllocateOrNull(const std::function<char*(qint64)>& allocate, qint64 length) {
    try {
        return allocate(length);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

ReadStatus CheckLength(qint64 length, const ReadOptions& options, QString* reason) {
    if (length > options.limit) {
        SetReason(reason, QStringLiteral("The file is too large."));
        return ReadStatus::Failed;
    }
    if (options.multipleOf > 1 && length % options.multipleOf != 0) {
        SetReason(reason,
                  QStringLiteral("The file is damaged or was not written by this program."));
        return ReadStatus::BadLength;
    }
    return ReadStatus::Read;
}

// A pipe, FIFO, terminal or /proc file: its size says nothing, so it is read to its end.
ReadStatus ReadSequential(int fd, const QString& path,
                          const std::function<char*(qint64 size)>& allocate, qint64& size,
                          QString* reason, const ReadOptions& options) {
    constexpr qint64 kPiece = 64 * 1024;
    WipedBuffer staging;
    try {
        for (;;) {
            char* at = staging.Reserve(kPiece);
            const qint64 n = ReadFully(fd, at, kPiece);
            if (n < 0) {
                SetReason(reason, ErrorText(errno));
                return ReadStatus::Failed;
            }
            staging.Grow(n);
            if (staging.size() > options.limit) {
                SetReason(reason, QStringLiteral("The file is too large."));
                return ReadStatus::Failed;
            }
            if (n < kPiece)
                break;
        }
    } catch (const std::bad_alloc&) {
        SetReason(reason, NoMemoryText(path));
        return ReadStatus::Failed;
    }
    const ReadStatus checked = CheckLength(staging.size(), options, reason);
    if (checked != ReadStatus::Read)
        return checked;
    char* buffer = AllocateOrNull(allocate, staging.size());
    if (!buffer && staging.size() != 0) {
        SetReason(reason, NoMemoryText(path));
        return ReadStatus::Failed;
    }
    if (staging.size() != 0)
        std::memcpy(buffer, staging.data(), static_cast<size_t>(staging.size()));
    size = staging.size();
    return ReadStatus::Read;
}

} // namespace

void SetLockCallForTesting(LockCall call) {
    g_lockCall = call;
}

void SetFolderSyncCallForTesting(FolderSyncCall call) {
    g_folderSyncCall = call;
}

int TryAdvisoryLock(int fd, int operation) {
    int rc;
    do
        rc = CallLock(fd, operation | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc == 0)
        return 0;
    return errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS ? -1 : errno;
}

void ReleaseAdvisoryLock(int fd) {
    CallLock(fd, LOCK_UN);
}

int SyncFolder(int fd) {
    return g_folderSyncCall ? g_folderSyncCall(fd) : ::fsync(fd);
}

ReadStatus ReadWholeFileInto(const QString& path, const std::function<char*(qint64 size)>& allocate,
                             qint64& size, QString* reason, const ReadOptions& options) {
    size = 0;
    // Without O_NONBLOCK, opening a FIFO waits for a writer: only callers that accept
    // sequential inputs may wait.
    const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | (options.regularOnly ? O_NONBLOCK : 0);
    FileDescriptor fd(OpenRetrying(-1, QFile::encodeName(path), flags));
    if (fd.get() < 0) {
        SetReason(reason, ErrorText(errno));
        return ReadStatus::Failed;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        SetReason(reason, ErrorText(errno));
        return ReadStatus::Failed;
    }
    if (S_ISDIR(info.st_mode)) {
        SetReason(reason, QStringLiteral("It is a folder, not a file."));
        return ReadStatus::Failed;
    }
    if (options.regularOnly && !S_ISREG(info.st_mode)) {
        SetReason(reason, QStringLiteral("It is not a regular file (a pipe, device or the like), "
                                         "so it is not opened."));
        return ReadStatus::Failed;
    }
    // Files of /proc and the like say they are empty: read them to their end as well.
    if (!S_ISREG(info.st_mode) || info.st_size == 0)
        return ReadSequential(fd.get(), path, allocate, size, reason, options);

    AdvisoryLock lock(fd.get(), LOCK_SH);
    if (!lock.Usable(reason))
        return ReadStatus::Failed;
    // The size is taken again under the lock, so the buffer never outgrows the file.
    if (::fstat(fd.get(), &info) != 0) {
        SetReason(reason, ErrorText(errno));
        return ReadStatus::Failed;
    }
    const qint64 length = info.st_size;
    const ReadStatus checked = CheckLength(length, options, reason);
    if (checked != ReadStatus::Read)
        return checked;
    char* buffer = AllocateOrNull(allocate, length);
    if (!buffer && length != 0) {
        SetReason(reason, NoMemoryText(path));
        return ReadStatus::Failed;
    }
    std::unique_ptr<FileIdentity::Hasher> hasher;
    if (options.identity)
        hasher = std::make_unique<FileIdentity::Hasher>();
    for (qint64 at = 0; at < length;) {
        const qint64 want = qMin(kReadPieceBytes, length - at);
        const qint64 done = ReadFully(fd.get(), buffer + at, want);
        if (done != want) {
            SetReason(reason, done < 0 ? ErrorText(errno)
                                       : QStringLiteral("The file changed while it was read."));
            return ReadStatus::Failed;
        }
        if (hasher)
            hasher->Add(buffer + at, want);
        if (options.eachPiece)
            options.eachPiece(buffer + at, want);
        at += want;
    }
    if (hasher)
        *options.identity = FileIdentity::OfDescriptor(fd.get(), hasher->Finish());
    size = length;
    return ReadStatus::Read;
}

namespace {
// Reads into out through read(allocate, size); on failure out is wiped and emptied.
template <class Read> bool ReadIntoByteArray(QByteArray& out, Read read) {
    out.clear();
    qint64 size = 0;
    const auto allocate = [&out](qint64 length) {
        out.resize(static_cast<qsizetype>(length));
        return out.data();
    };
    const ReadStatus status = read(allocate, size);
    if (status != ReadStatus::Read) {
        OPENSSL_cleanse(out.data(), static_cast<size_t>(out.size()));
        out.clear();
    }
    return status == ReadStatus::Read;
}
} // namespace

bool ReadWholeFile(const QString& path, QByteArray& out, QString* reason,
                   const ReadOptions& options) {
    return ReadIntoByteArray(out, [&](const auto& allocate, qint64& size) {
        return ReadWholeFileInto(path, allocate, size, reason, options);
    });
}

bool ReadWholeDescriptor(int fd, const QString& name, QByteArray& out, QString* reason,
                         const ReadOptions& options) {
    return ReadIntoByteArray(out, [&](const auto& allocate, qint64& size) {
        return ReadSequential(fd, name, allocate, size, reason, options);
    });
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
                        QString* reason, const WriteOptions& options, FileIdentity* written) {
    FileReplacement file(path, options);
    // The written file's identity comes from the bytes that went into it and from the
    // temporary file before its rename, so another program's write after the rename can never
    // pass for ours.
    std::unique_ptr<FileIdentity::HashingWriter> hashing;
    std::function<void(int)> learn;
    const bool begun = file.Begin();
    if (begun && written) {
        hashing = std::make_unique<FileIdentity::HashingWriter>(file);
        learn = [&](int fd) { *written = FileIdentity::OfDescriptor(fd, hashing->Finish()); };
    }
    QIODevice& out = hashing ? static_cast<QIODevice&>(*hashing) : file;
    if (!begun || !produce(out) || !file.Commit(learn)) {
        SetReason(reason, file.Reason().isEmpty() ? file.errorString() : file.Reason());
        return false;
    }
    SetReason(reason, file.Notice());
    return true;
}

bool WriteWholeFile(const QString& path, const QByteArray& data, QString* reason,
                    const WriteOptions& options) {
    return WriteWholeFileFrom(
        path, [&data](QIODevice& out) { return WriteAll(out, data.constData(), data.size()); },
        reason, options);
}
