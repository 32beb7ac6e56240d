#include "FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

FileDescriptor::~FileDescriptor() {
    if (m_fd >= 0)
        ::close(m_fd);
}

int OpenRetrying(int folder, const QByteArray& name, int flags, mode_t mode) {
    int fd;
    do
        fd = folder >= 0 ? ::openat(folder, name.constData(), flags, mode)
                         : ::open(name.constData(), flags, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}
