#pragma once

#include <QByteArray>

#include <sys/types.h>

// An open file descriptor, closed when it goes.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// open(2), or openat(2) when folder is a descriptor (not -1), tried again when a signal
// interrupted it.
int OpenRetrying(int folder, const QByteArray& name, int flags, mode_t mode = 0);
