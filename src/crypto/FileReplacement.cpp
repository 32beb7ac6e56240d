#include "FileReplacement.h"

#include "FileAccess.h"
#include "FileAttributes.h"
#include "FileDescriptor.h"

#include <QFile>
#include <QRandomGenerator>

#include <openssl/crypto.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

bool g_intoSpecialFiles = false;
int g_bufferBytes = 64 * 1024;
// Writes of at least this much skip the staging buffer.
constexpr qint64 kDirectWriteBytes = 256 * 1024;

struct Fault {
    int step = -1;
    int nth = 0;
    int error = 0;
    int seen = 0;
} g_fault;

// True (with errno set) when a test asked this call of the step to fail.
bool Faulted(int step) {
    if (g_fault.step != step || ++g_fault.seen != g_fault.nth)
        return false;
    errno = g_fault.error;
    return true;
}

QString ErrorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// A link can be made anywhere its owner may write: only the user's own and root's are followed,
// so nobody else can point a save at another file.
bool FollowedLinkOwner(uid_t owner) {
    return owner == ::geteuid() || owner == 0;
}

enum class Resolved { File, Missing, Opaque, Refused };

// Follows the name's own links (not those of its folders). File: target is no link; Missing:
// nothing is there yet; Opaque: a link of /proc that leads to no name (a pipe, a socket),
// reached through the original name only.
Resolved ResolveName(const QByteArray& path, QByteArray& target, QString& reason) {
    target = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat info {};
        if (::lstat(target.constData(), &info) != 0) {
            if (errno != ENOENT) {
                reason = ErrorText(errno);
                return Resolved::Refused;
            }
            if (depth > 0 && ::stat(path.constData(), &info) == 0) {
                target = path;
                return Resolved::Opaque;
            }
            return Resolved::Missing;
        }
        if (!S_ISLNK(info.st_mode))
            return Resolved::File;
        if (!FollowedLinkOwner(info.st_uid)) {
            reason = QStringLiteral("It is a symbolic link owned by another user (user id %1), "
                                    "so it is not followed and nothing was written.")
                         .arg(info.st_uid);
            return Resolved::Refused;
        }
        QByteArray next(4096, Qt::Uninitialized);
        const ssize_t length = ::readlink(target.constData(), next.data(), next.size());
        if (length < 0 || length >= next.size()) {
            reason = length < 0 ? ErrorText(errno) : ErrorText(ENAMETOOLONG);
            return Resolved::Refused;
        }
        next.truncate(length);
        if (!next.startsWith('/')) {
            const qsizetype slash = target.lastIndexOf('/');
            if (slash >= 0)
                next.prepend(target.left(slash + 1));
        }
        target = next;
    }
    reason = ErrorText(ELOOP);
    return Resolved::Refused;
}

void CloseIfOpen(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

QByteArray RandomSuffix() {
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray suffix(6, Qt::Uninitialized);
    for (char& c : suffix)
        c = kChars[QRandomGenerator::global()->bounded(int(sizeof kChars) - 1)];
    return suffix;
}

} // namespace

void SetWriteIntoSpecialFiles(bool allowed) {
    g_intoSpecialFiles = allowed;
}

void SetWriteFaultForTesting(int step, int nth, int error) {
    g_fault = Fault{step, nth, error, 0};
}

void SetWriteBufferForTesting(int bytes) {
    g_bufferBytes = bytes > 0 ? bytes : 64 * 1024;
}

FileReplacement::FileReplacement(const QString& path, const WriteOptions& options)
    : m_path(path), m_options(options) {}

FileReplacement::~FileReplacement() {
    if (!m_committed)
        Discard();
    if (m_lockHeld)
        ReleaseAdvisoryLock(m_oldFd);
    CloseIfOpen(m_oldFd);
    CloseIfOpen(m_folderFd);
    // What was written may have been plain text.
    if (!m_buffer.isEmpty())
        OPENSSL_cleanse(m_buffer.data(), static_cast<size_t>(m_buffer.size()));
}

bool FileReplacement::Fail(const QString& reason) {
    m_reason = reason;
    setErrorString(reason);
    return false;
}

void FileReplacement::Discard() {
    CloseIfOpen(m_fd);
    if (!m_tempName.isEmpty())
        ::unlinkat(m_folderFd, m_tempName.constData(), 0);
    m_tempName.clear();
}

bool FileReplacement::Begin() {
    const QByteArray path = QFile::encodeName(m_path);
    QByteArray target;
    const Resolved resolved = ResolveName(path, target, m_reason);
    if (resolved == Resolved::Refused)
        return Fail(m_reason);
    struct stat info {};
    const bool exists = resolved != Resolved::Missing;
    if (exists && ::stat(target.constData(), &info) != 0)
        return Fail(ErrorText(errno));
    if (exists && S_ISDIR(info.st_mode))
        return Fail(QStringLiteral("It is a folder, not a file."));
    if (exists && !S_ISREG(info.st_mode)) {
        if (!g_intoSpecialFiles)
            return Fail(QStringLiteral("It is not a regular file (a pipe, device or the like), "
                                       "so it is not replaced."));
        // Renaming over a FIFO or device would take it away from whoever uses it.
        m_fd = OpenRetrying(-1, target, O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (m_fd < 0)
            return Fail(ErrorText(errno));
        m_direct = true;
        return open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    if (resolved == Resolved::Opaque)
        return Fail(QStringLiteral("It is a link that leads to no name in a folder."));

    const qsizetype slash = target.lastIndexOf('/');
    m_folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target.left(slash);
    m_name = target.mid(slash + 1);
    m_folderFd = OpenRetrying(-1, m_folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folderFd < 0) {
        // A folder one may write into but not read: it cannot be synced, the rest works.
        m_folderFd = OpenRetrying(-1, m_folder, O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (m_folderFd < 0)
            return Fail(ErrorText(errno));
        m_folderUnreadable = true;
    }
    return BeginRegular(exists, info) && open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool FileReplacement::BeginRegular(bool exists, struct stat old) {
    if (exists) {
        // Keep others out of the old file while its replacement is prepared.
        m_oldFd = OpenRetrying(m_folderFd, m_name,
                               O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW);
        if (m_oldFd < 0 && errno == ELOOP)
            return Fail(QStringLiteral("It was replaced by a symbolic link while it was saved."));
        if (m_oldFd >= 0) {
            if (::fstat(m_oldFd, &old) != 0)
                return Fail(ErrorText(errno));
            const int error = TryAdvisoryLock(m_oldFd, LOCK_EX);
            if (error > 0)
                return Fail(error == EWOULDBLOCK
                                ? QStringLiteral("The file is in use by another program.")
                                : ErrorText(error));
            m_lockHeld = error == 0;
        }
    }
    const QByteArray stem = m_name.left(200) + '.';
    for (int attempt = 0; m_fd < 0 && attempt < 100; ++attempt) {
        m_tempName = stem + RandomSuffix();
        m_fd = OpenRetrying(m_folderFd, m_tempName,
                            O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (m_fd < 0 && errno != EEXIST) {
            m_tempName.clear();
            return Fail(ErrorText(errno));
        }
    }
    if (m_fd < 0) {
        m_tempName.clear();
        return Fail(ErrorText(EEXIST));
    }
    // The temporary file takes the final access before any content reaches it.
    if (exists && m_options.keepAccess)
        return CopyAccess(m_folder + '/' + m_name, old, m_fd, old.st_mode & 07777, m_notice,
                          m_reason) ||
               Fail(m_reason);
    if (::fchmod(m_fd, m_options.mode) != 0)
        return Fail(ErrorText(errno));
    return true;
}

qint64 FileReplacement::readData(char*, qint64) {
    return -1;
}

qint64 FileReplacement::writeData(const char* data, qint64 size) {
    if (m_fd < 0)
        return -1;
    if (m_buffer.size() != g_bufferBytes) {
        if (!m_buffer.isEmpty())
            OPENSSL_cleanse(m_buffer.data(), static_cast<size_t>(m_buffer.size()));
        m_buffer = QByteArray(g_bufferBytes, Qt::Uninitialized);
        m_used = 0;
    }
    // Large pieces go out from where they are: copying them would cost a pass over the data.
    if (size >= kDirectWriteBytes) {
        if (m_used > 0 && !WriteOut(WriteStepWrite))
            return -1;
        return WriteRange(data, size, WriteStepWrite) ? size : -1;
    }
    qint64 done = 0;
    while (done < size) {
        const qint64 room = qMin<qint64>(m_buffer.size() - m_used, size - done);
        std::memcpy(m_buffer.data() + m_used, data + done, static_cast<size_t>(room));
        m_used += room;
        done += room;
        if (m_used == m_buffer.size() && !WriteOut(WriteStepWrite))
            return -1;
    }
    return size;
}

bool FileReplacement::WriteOut(int step) {
    const bool written = WriteRange(m_buffer.constData(), m_used, step);
    if (m_used > 0)
        OPENSSL_cleanse(m_buffer.data(), static_cast<size_t>(m_used));
    m_used = 0;
    return written;
}

bool FileReplacement::WriteRange(const char* data, qint64 length, int step) {
    qint64 done = 0;
    while (done < length) {
        const ssize_t n =
            Faulted(step) ? -1 : ::write(m_fd, data + done, static_cast<size_t>(length - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Fail(ErrorText(n < 0 ? errno : EIO));
        done += n;
    }
#ifdef SYNC_FILE_RANGE_WRITE
    // Large files start on their way to the disk while the rest is still being made, so the
    // sync at the end has little left to wait for. Only a hint: the sync decides.
    if (!m_direct && length >= kDirectWriteBytes)
        ::sync_file_range(m_fd, m_offset, length, SYNC_FILE_RANGE_WRITE);
#endif
    m_offset += length;
    return true;
}

bool FileReplacement::Commit(const std::function<void(int fd)>& beforeRename) {
    if (m_fd < 0 || m_committed)
        return Fail(QStringLiteral("The file was not opened for writing."));
    if (!WriteOut(WriteStepFlush)) {
        Discard();
        return false;
    }
    const int synced = Faulted(WriteStepSync) ? -1 : ::fsync(m_fd);
    if (m_direct) {
        // Pipes and terminals cannot be synced, and need not be.
        const bool ok = synced == 0 || errno == EINVAL || errno == EROFS || errno == ENOTSUP;
        const int error = errno;
        CloseIfOpen(m_fd);
        m_committed = ok;
        return ok || Fail(ErrorText(error));
    }
    if (synced != 0) {
        Fail(QStringLiteral("It could not be synced to disk: %1").arg(ErrorText(errno)));
        Discard();
        return false;
    }
    if (beforeRename)
        beforeRename(m_fd);
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (closed != 0) {
        Fail(ErrorText(errno));
        Discard();
        return false;
    }
    if (Faulted(WriteStepRename) ||
        ::renameat(m_folderFd, m_tempName.constData(), m_folderFd, m_name.constData()) != 0) {
        Fail(QStringLiteral("The new file could not take the old one's place: %1")
                 .arg(ErrorText(errno)));
        Discard();
        return false;
    }
    m_tempName.clear();
    m_committed = true;
    close();
    // Makes the rename durable. File systems that cannot sync a folder (some network and
    // virtual ones) have nothing more to give.
    if (m_folderUnreadable)
        return true;
    const int rc = Faulted(WriteStepFolderSync) ? -1 : SyncFolder(m_folderFd);
    if (rc == 0 || errno == EINVAL || errno == EROFS || errno == EOPNOTSUPP)
        return true;
    return Fail(QStringLiteral("The file was written, but the folder could not be synced to "
                               "disk: %1")
                    .arg(ErrorText(errno)));
}
