#pragma once

#include "FileReplacement.h"

#include <QByteArray>
#include <QString>

#include <functional>

class FileIdentity;
class QIODevice;

// Gives the reason to the caller that asked for one (reason may be null).
inline void SetReason(QString* reason, const QString& text) {
    if (reason)
        *reason = text;
}

// The most a document file may hold: far beyond any real document, small enough that a
// mistaken or hostile input cannot make the program try to hold it.
constexpr qint64 kMaxDocumentBytes = qint64(1) << 30;

// How a whole-file read treats what it is given.
struct ReadOptions {
    // Inputs larger than this fail with "The file is too large." before anything is allocated.
    qint64 limit = kMaxDocumentBytes;
    // The size must be a multiple of this, checked before anything is allocated.
    qint64 multipleOf = 1;
    // Regular files only (the editor): anything else is refused at once, so that a FIFO can
    // never block the program. When false, pipes, FIFOs, /dev/stdin and /proc files are read
    // to their end, whatever size they claim.
    bool regularOnly = true;
    // When given, receives which regular file was read and the hash of the bytes read, so
    // that a later change by another program can be told.
    FileIdentity* identity = nullptr;
    // When given, called with each piece of a regular file as soon as it is in the buffer, in
    // order, so that it can be worked on while it is still in the processor's cache. Pieces
    // start at multiples of kReadPieceBytes; the bytes are hashed for identity before.
    std::function<void(char* piece, qint64 length)> eachPiece;
};

// The size of the pieces a regular file is read in.
constexpr qint64 kReadPieceBytes = 1024 * 1024;

enum class ReadStatus {
    Read,
    Failed,   // could not be opened, read or held; the reason says why
    BadLength // read, but its size is not a multiple of ReadOptions::multipleOf
};

// Reads a whole existing file, holding a shared advisory lock while it reads (other readers
// may read at the same time; a writer holding its lock makes the read fail as "in use"). On
// failure returns false and, when asked, a short reason ("No such file or directory", ...).
bool ReadWholeFile(const QString& path, QByteArray& out, QString* reason = nullptr,
                   const ReadOptions& options = ReadOptions());

// The same into memory the caller provides once the size is known: allocate returns room for
// that many bytes (or null, or throws std::bad_alloc, when there is not enough memory). Lets
// large documents be read straight into their final buffer. size receives the number of bytes
// read.
ReadStatus ReadWholeFileInto(const QString& path, const std::function<char*(qint64 size)>& allocate,
                             qint64& size, QString* reason = nullptr,
                             const ReadOptions& options = ReadOptions());

// Reads an open descriptor (standard input) to its end, within options.limit; name is what a
// message calls it. The descriptor stays open.
bool ReadWholeDescriptor(int fd, const QString& name, QByteArray& out, QString* reason = nullptr,
                         const ReadOptions& options = ReadOptions());

// Replaces the file's contents through a FileReplacement: every step is checked, and on failure
// the old file is untouched, the temporary file is gone and reason says why. An existing file
// keeps its mode, group, access list and extended attributes (options may say otherwise); new
// files are readable and writable by the owner only. The name then refers to a new file: other
// hard links to the old one keep the old content. On success reason receives what of the old
// file's access could not be kept, or is emptied.
bool WriteWholeFile(const QString& path, const QByteArray& data, QString* reason = nullptr,
                    const WriteOptions& options = WriteOptions());

// The same, with the contents written piece by piece by produce, which returns false when a
// write failed (the old file then stays as it was). written, when given, receives the new
// file's identity: taken from the temporary file and the bytes that went into it before the
// rename, so another program's write after the rename can never pass for ours.
bool WriteWholeFileFrom(const QString& path, const std::function<bool(QIODevice& out)>& produce,
                        QString* reason = nullptr, const WriteOptions& options = WriteOptions(),
                        FileIdentity* written = nullptr);

// Writes all bytes, or returns false.
bool WriteAll(QIODevice& out, const char* data, qint64 length);

// For tests: replaces the call that takes advisory locks (flock's signature), so that file
// systems without locks can be imitated. Null restores the real one.
using LockCall = int (*)(int fd, int operation);
void SetLockCallForTesting(LockCall call);
// For tests: replaces the fsync that makes a completed save's rename durable in its folder.
using FolderSyncCall = int (*)(int fd);
void SetFolderSyncCallForTesting(FolderSyncCall call);

// For the write path: takes an advisory lock without waiting. 0 when held, -1 when the file
// system has no locks (the work goes on without), else the error.
int TryAdvisoryLock(int fd, int operation);
void ReleaseAdvisoryLock(int fd);
// For the write path: syncs a folder, through the test's call when one is set.
int SyncFolder(int fd);
