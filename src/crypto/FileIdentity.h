#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <memory>

struct stat;

// Which file a document was read from or written to, and what it held: the file's device and
// inode, size, modification time (nanoseconds) and a hash of its bytes. Compared with the file
// a name leads to now, it tells whether another program changed or replaced the file since;
// a time alone misses writes within the clock's step and copies that keep the time.
class FileIdentity {
public:
    // How the file a name leads to now compares with a remembered one.
    enum class Disk {
        Same,    // the same file with the same bytes
        Changed, // other bytes, another file (a replacement or a link), or it cannot be read
        Missing, // no file by that name any more
    };

    // A hash of bytes fed in pieces.
    class Hasher {
    public:
        Hasher();
        ~Hasher();
        Hasher(const Hasher&) = delete;
        Hasher& operator=(const Hasher&) = delete;
        void Add(const char* data, qint64 length);
        // The hash of everything added; the hasher is then spent.
        QByteArray Finish();

    private:
        struct Context;
        std::unique_ptr<Context> m_context;
    };

    // Writes through to another device and hashes what it took, so that a writer learns the
    // hash of the bytes it really wrote without reading them back.
    class HashingWriter : public QIODevice {
    public:
        explicit HashingWriter(QIODevice& target);
        QByteArray Finish() { return m_hasher.Finish(); }

    protected:
        qint64 readData(char*, qint64) override { return -1; }
        qint64 writeData(const char* data, qint64 length) override;

    private:
        QIODevice& m_target;
        Hasher m_hasher;
    };

    // Unknown: nothing was read or written yet (a new document).
    FileIdentity() = default;

    // The open file fd, whose bytes hashed to hash (as read or written through fd). Unknown
    // when fd cannot be looked at.
    static FileIdentity OfDescriptor(int fd, const QByteArray& hash);
    // The file path leads to now (through links), read and hashed. Unknown when there is none
    // or it cannot be read; missing (when given) then says whether the name leads nowhere.
    static FileIdentity OfPath(const QString& path, bool* missing = nullptr);
    static QByteArray Hash(const char* data, qint64 length);

    bool IsKnown() const { return !m_hash.isEmpty(); }
    // Compares with the file path leads to now. The file is read only when everything else
    // matches, so a changed file costs one stat.
    Disk CompareWith(const QString& path) const;
    // The same from one stat, without reading: which file it is, its size and time. For a
    // second look shortly after a whole one.
    Disk CompareMetadataWith(const QString& path) const;

    bool operator==(const FileIdentity& other) const;
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }

private:
    static FileIdentity FromStat(const struct stat& info, const QByteArray& hash);
    bool SameMetadata(const FileIdentity& other) const;
    // Whether the metadata of fd matches, and then whether its bytes do.
    bool SameFile(int fd) const;

    quint64 m_device = 0;
    quint64 m_inode = 0;
    qint64 m_size = -1;
    qint64 m_modifiedNs = 0;
    QByteArray m_hash;
};
