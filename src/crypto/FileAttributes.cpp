#include "FileAttributes.h"

#include <QStringList>

#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

const char kAclAttribute[] = "system.posix_acl_access";

// Attributes that decide who may read the file: losing one may open it to more people.
bool GuardsAccess(const QByteArray& name) {
    return name == kAclAttribute || name.startsWith("security.");
}

bool NoAttributesHere(int error) {
    return error == ENOTSUP || error == EOPNOTSUPP || error == ENOSYS;
}

// The old file's attribute names, or false when they cannot be listed.
bool ListAttributes(const QByteArray& path, QList<QByteArray>& names) {
    QByteArray list;
    for (;;) {
        const ssize_t size = ::llistxattr(path.constData(), nullptr, 0);
        if (size < 0)
            return NoAttributesHere(errno);
        list.resize(size);
        const ssize_t got = ::llistxattr(path.constData(), list.data(), list.size());
        if (got >= 0) {
            list.truncate(got);
            break;
        }
        if (errno != ERANGE) // grew in between: ask again
            return false;
    }
    for (const QByteArray& name : list.split('\0'))
        if (!name.isEmpty())
            names.append(name);
    return true;
}

bool CopyAttribute(const QByteArray& path, const QByteArray& name, int fd) {
    for (;;) {
        const ssize_t size = ::lgetxattr(path.constData(), name.constData(), nullptr, 0);
        if (size < 0)
            return false;
        QByteArray value(size, Qt::Uninitialized);
        const ssize_t got = ::lgetxattr(path.constData(), name.constData(), value.data(), size);
        if (got < 0 && errno == ERANGE)
            continue;
        if (got < 0)
            return false;
        return ::fsetxattr(fd, name.constData(), value.constData(), got, 0) == 0;
    }
}

} // namespace

bool CopyAccess(const QByteArray& oldPath, const struct stat& old, int fd, mode_t mode,
                QString& notice, QString& reason) {
    struct stat now {};
    if (::fstat(fd, &now) != 0) {
        reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    bool ownerKept = now.st_uid == old.st_uid;
    bool groupKept = now.st_gid == old.st_gid;
    if ((!ownerKept || !groupKept) && ::fchown(fd, old.st_uid, old.st_gid) == 0) {
        ownerKept = groupKept = true;
    } else if (!groupKept && ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0) {
        groupKept = true;
    }

    QList<QByteArray> names;
    bool accessLost = !ListAttributes(oldPath, names);
    bool hadAcl = false;
    QStringList lost;
    for (const QByteArray& name : std::as_const(names)) {
        hadAcl = hadAcl || name == kAclAttribute;
        if (CopyAttribute(oldPath, name, fd))
            continue;
        if (GuardsAccess(name))
            accessLost = true;
        else
            lost.append(QString::fromLocal8Bit(name));
    }

    QStringList said;
    if (!groupKept) {
        // People of the new group may have been "others" to the old file, or kept out by the
        // access list that named them.
        const mode_t group = hadAcl ? 0 : ((mode >> 3) & mode & 07);
        mode = (mode & ~mode_t(S_ISGID | 070)) | (group << 3);
        said.append(QStringLiteral("its group could not be kept, so your group has no more "
                                   "access than others had"));
    }
    if (accessLost) {
        mode &= ~mode_t(077);
        said.append(QStringLiteral("its access list or security label could not be kept, so "
                                   "only you have access to it now"));
    }
    if (!lost.isEmpty())
        said.append(QStringLiteral("these extended attributes could not be kept: %1")
                        .arg(lost.join(QStringLiteral(", "))));
    if (!ownerKept)
        said.append(QStringLiteral("it now belongs to you instead of its former owner"));
    if (!said.isEmpty())
        notice = QStringLiteral("The file was saved, but %1.").arg(said.join(QStringLiteral("; ")));

    // With an access list the group bits are its mask, which fchmod sets after the copy.
    if (::fchmod(fd, mode) != 0) {
        reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    return true;
}
