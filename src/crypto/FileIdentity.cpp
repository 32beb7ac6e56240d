#include "FileIdentity.h"

#include "FileDescriptor.h"

#include <QFile>

#include <openssl/evp.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

struct FileIdentity::Hasher::Context {
    EVP_MD_CTX* md = EVP_MD_CTX_new();
    bool ok = md && EVP_DigestInit_ex(md, EVP_sha256(), nullptr) == 1;
    ~Context() { EVP_MD_CTX_free(md); }
};

FileIdentity::Hasher::Hasher() : m_context(std::make_unique<Context>()) {}

FileIdentity::Hasher::~Hasher() = default;

void FileIdentity::Hasher::Add(const char* data, qint64 length) {
    if (m_context->ok && length > 0)
        m_context->ok = EVP_DigestUpdate(m_context->md, data, static_cast<size_t>(length)) == 1;
}

QByteArray FileIdentity::Hasher::Finish() {
    QByteArray hash(EVP_MAX_MD_SIZE, Qt::Uninitialized);
    unsigned int length = 0;
    const bool ok = m_context->ok &&
                    EVP_DigestFinal_ex(m_context->md, reinterpret_cast<unsigned char*>(hash.data()),
                                       &length) == 1;
    m_context->ok = false;
    // No hash at all rather than a wrong one: an unknown identity never matches.
    return ok ? hash.left(static_cast<qsizetype>(length)) : QByteArray();
}

FileIdentity::HashingWriter::HashingWriter(QIODevice& target) : m_target(target) {
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 FileIdentity::HashingWriter::writeData(const char* data, qint64 length) {
    const qint64 written = m_target.write(data, length);
    if (written > 0)
        m_hasher.Add(data, written);
    return written;
}

namespace {

int OpenForReading(const QString& path) {
    // Non-blocking, so that a FIFO put in the file's place cannot hold the program.
    return OpenRetrying(-1, QFile::encodeName(path), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
}

// The bytes of a regular file from its start, hashed; empty when they cannot be read.
QByteArray HashContents(int fd) {
    constexpr qint64 kPiece = 1 << 20;
    const std::unique_ptr<char[]> buffer(new char[kPiece]);
    FileIdentity::Hasher hasher;
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd, buffer.get(), kPiece, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return QByteArray();
        if (n == 0)
            break;
        hasher.Add(buffer.get(), n);
        at += n;
    }
    return hasher.Finish();
}

bool IsMissingError(int error) {
    return error == ENOENT || error == ENOTDIR;
}

} // namespace

QByteArray FileIdentity::Hash(const char* data, qint64 length) {
    Hasher hasher;
    hasher.Add(data, length);
    return hasher.Finish();
}

FileIdentity FileIdentity::OfDescriptor(int fd, const QByteArray& hash) {
    struct stat info {};
    if (hash.isEmpty() || ::fstat(fd, &info) != 0)
        return FileIdentity();
    return FromStat(info, hash);
}

FileIdentity FileIdentity::FromStat(const struct stat& info, const QByteArray& hash) {
    if (!S_ISREG(info.st_mode))
        return FileIdentity();
    FileIdentity identity;
    identity.m_device = info.st_dev;
    identity.m_inode = info.st_ino;
    identity.m_size = info.st_size;
    identity.m_modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    identity.m_hash = hash;
    return identity;
}

bool FileIdentity::SameMetadata(const FileIdentity& other) const {
    return m_device == other.m_device && m_inode == other.m_inode && m_size == other.m_size &&
           m_modifiedNs == other.m_modifiedNs;
}

FileIdentity FileIdentity::OfPath(const QString& path, bool* missing) {
    const FileDescriptor fd(OpenForReading(path));
    if (missing)
        *missing = fd.get() < 0 && IsMissingError(errno);
    if (fd.get() < 0)
        return FileIdentity();
    // The metadata is taken first: a write during the hashing then shows as a change later.
    const FileIdentity bare = OfDescriptor(fd.get(), QByteArrayLiteral("-"));
    if (!bare.IsKnown())
        return FileIdentity();
    FileIdentity identity = bare;
    identity.m_hash = HashContents(fd.get());
    return identity.m_hash.isEmpty() ? FileIdentity() : identity;
}

bool FileIdentity::SameFile(int fd) const {
    const FileIdentity now = OfDescriptor(fd, m_hash);
    if (!now.IsKnown() || !SameMetadata(now))
        return false;
    return HashContents(fd) == m_hash;
}

FileIdentity::Disk FileIdentity::CompareWith(const QString& path) const {
    const FileDescriptor fd(OpenForReading(path));
    if (fd.get() < 0)
        return IsMissingError(errno) ? Disk::Missing : Disk::Changed;
    return IsKnown() && SameFile(fd.get()) ? Disk::Same : Disk::Changed;
}

FileIdentity::Disk FileIdentity::CompareMetadataWith(const QString& path) const {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return IsMissingError(errno) ? Disk::Missing : Disk::Changed;
    const FileIdentity now = FromStat(info, QByteArrayLiteral("-"));
    return IsKnown() && now.IsKnown() && SameMetadata(now) ? Disk::Same : Disk::Changed;
}

bool FileIdentity::operator==(const FileIdentity& other) const {
    return SameMetadata(other) && m_hash == other.m_hash;
}
