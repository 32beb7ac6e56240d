#pragma once

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

// Gives the file open as fd (a replacement being prepared) the access of the file old describes
// (at oldPath): its owner and group where this process may set them, its access list and
// extended attributes, then mode. Where part of that cannot be kept, group and other bits are
// narrowed so that nobody gets more access than the old file gave, and notice says so.
// False with reason only when the mode itself cannot be set.
bool CopyAccess(const QByteArray& oldPath, const struct stat& old, int fd, mode_t mode,
                QString& notice, QString& reason);
