#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <sys/stat.h>

#include <functional>

// How a replacement treats the file it replaces.
struct WriteOptions {
    // The mode of a new file; also of an existing one when keepAccess is false.
    mode_t mode = 0600;
    // An existing file keeps its mode, group, access list and extended attributes. The
    // program's own files (settings) take mode instead and keep nothing.
    bool keepAccess = true;
};

// Writes a file so that a failure at any step leaves the old one exactly as it was: the data
// go to a temporary file in the same folder, which is flushed, synced and renamed over the
// name, and the folder is synced. A symbolic link of yours (or root's) is followed and the file
// it leads to is replaced; a link owned by anyone else is refused. A pipe, FIFO or device is
// refused too, unless SetWriteIntoSpecialFiles(true) was called: then it is written into.
class FileReplacement : public QIODevice {
public:
    explicit FileReplacement(const QString& path, const WriteOptions& options = WriteOptions());
    // Removes the temporary file unless Commit() succeeded.
    ~FileReplacement() override;

    // Resolves the name, takes the old file's exclusive advisory lock and creates the
    // temporary file with the old file's access. False with Reason() when nothing can start.
    bool Begin();
    // Writes out what is buffered, syncs, renames and syncs the folder. False with Reason();
    // the old file then stays (unless only the folder sync failed, which Reason() says).
    // beforeRename, when given, sees the synced temporary file's descriptor: its size and time
    // are final then, and the rename keeps them.
    bool Commit(const std::function<void(int fd)>& beforeRename = {});

    QString Reason() const { return m_reason; }
    // Set after a successful Commit() when part of the old file's access could not be kept
    // and was narrowed instead; empty otherwise.
    QString Notice() const { return m_notice; }

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool Fail(const QString& reason);
    bool BeginRegular(bool exists, struct stat old);
    bool WriteOut(int step);
    // Writes length bytes at the end of the temporary file, as step for the fault seam.
    bool WriteRange(const char* data, qint64 length, int step);
    void Discard();

    QString m_path;
    WriteOptions m_options;
    QByteArray m_folder;   // where the file is, after following links
    QByteArray m_name;     // its name in that folder
    QByteArray m_tempName; // the temporary file's name in that folder, while it exists
    int m_folderFd = -1;
    int m_oldFd = -1; // holds the old file's lock
    int m_fd = -1;    // what the data go to
    bool m_direct = false;
    bool m_folderUnreadable = false;
    bool m_lockHeld = false;
    bool m_committed = false;
    QByteArray m_buffer; // wiped as soon as written out
    qint64 m_used = 0;
    qint64 m_offset = 0; // how much went into the file
    QString m_reason;
    QString m_notice;
};

// keystow-cli writes into FIFOs and devices named as outputs; the editor refuses them.
void SetWriteIntoSpecialFiles(bool allowed);

// For tests: makes the nth call (counted from 1 after this call) of one step of every later
// write fail with error, without doing it. Steps: 0 write, 1 flush (the data left at commit),
// 2 fsync, 3 rename, 4 folder sync. A step of -1 switches the faults off.
enum WriteStep {
    WriteStepWrite,
    WriteStepFlush,
    WriteStepSync,
    WriteStepRename,
    WriteStepFolderSync
};
void SetWriteFaultForTesting(int step, int nth, int error);
// For tests: how many bytes are held before they are written out (64 KiB otherwise).
void SetWriteBufferForTesting(int bytes);
