#include "CryptoTestSupport.h"

#include "FileAccess.h"
#include "TextFile.h"

#include "../common/FullDisk.h"
#include "../common/TestFiles.h"

#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

namespace {

const uid_t kNobody = 65534;

QByteArray Name(const QString& path) {
    return QFile::encodeName(path);
}

struct stat StatOf(const QString& path) {
    struct stat info {};
    ::lstat(Name(path).constData(), &info);
    return info;
}

QByteArray Attribute(const QString& path, const char* name) {
    char value[256];
    const ssize_t n = ::getxattr(Name(path).constData(), name, value, sizeof value);
    return n < 0 ? QByteArray() : QByteArray(value, int(n));
}

// An access list: owner rw, user nobody r, owning group r, mask r, others nothing.
QByteArray AccessList() {
    QByteArray acl;
    const auto add32 = [&acl](quint32 v) { acl.append(reinterpret_cast<const char*>(&v), 4); };
    const auto entry = [&](quint16 tag, quint16 perm, quint32 id) {
        acl.append(reinterpret_cast<const char*>(&tag), 2);
        acl.append(reinterpret_cast<const char*>(&perm), 2);
        add32(id);
    };
    add32(2); // version
    entry(0x01, 6, quint32(-1));
    entry(0x02, 4, kNobody);
    entry(0x04, 4, quint32(-1));
    entry(0x10, 4, quint32(-1));
    entry(0x20, 0, quint32(-1));
    return acl;
}

} // namespace

class TestFileReplacement : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void links_data();
    void links();
    void accessKept();
    void accessNarrowedWhereNotKept_data();
    void accessNarrowedWhereNotKept();
    void specialFiles_data();
    void specialFiles();
    void smallSaveOnFullDisk();

private:
    QTemporaryDir m_dir;
    QString Path(const QString& name) const { return m_dir.filePath(name); }
};

void TestFileReplacement::cleanup() {
    SetWriteIntoSpecialFiles(false);
    QDir(m_dir.path()).removeRecursively();
    QDir().mkpath(m_dir.path());
}

void TestFileReplacement::links_data() {
    QTest::addColumn<bool>("foreign");
    QTest::addColumn<bool>("twoLinks");
    QTest::newRow("own link") << false << false;
    QTest::newRow("own link to own link") << false << true;
    QTest::newRow("another user's link") << true << false;
    QTest::newRow("own link to another user's link") << true << true;
}

void TestFileReplacement::links() {
    QFETCH(bool, foreign);
    QFETCH(bool, twoLinks);
    if (foreign && ::geteuid() != 0)
        QSKIP("giving a link to another user needs root");
    const QString target = Path("private.etx");
    QCOMPARE(SaveTextFile(target, QStringLiteral("pw"), QStringLiteral("private")),
             SaveResult::Saved);
    const QByteArray before = ReadAll(target);
    const QString link = Path("team.etx");
    const QString inner = twoLinks ? Path("inner.etx") : target;
    if (twoLinks)
        QCOMPARE(::symlink("private.etx", Name(inner).constData()), 0);
    QCOMPARE(::symlink(Name(inner).constData(), Name(link).constData()), 0);
    if (foreign)
        QCOMPARE(::lchown(Name(inner == target ? link : inner).constData(), kNobody, kNobody), 0);

    QString reason;
    const SaveResult result =
        SaveTextFile(link, QStringLiteral("pw"), QStringLiteral("replaced"), &reason);
    QVERIFY(S_ISLNK(StatOf(link).st_mode));
    if (foreign) {
        QCOMPARE(result, SaveResult::NotWritten);
        QVERIFY2(reason.contains("symbolic link owned by another user"), qPrintable(reason));
        QCOMPARE(ReadAll(target), before);
    } else {
        QCOMPARE(result, SaveResult::Saved);
        QString text;
        QCOMPARE(LoadTextFile(target, QStringLiteral("pw"), text), LoadResult::Loaded);
        QCOMPARE(text, QStringLiteral("replaced"));
    }
    const int expected = twoLinks ? 3 : 2;
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden).size(),
             expected);
}

void TestFileReplacement::accessKept() {
    if (::geteuid() != 0)
        QSKIP("a file of another group needs root to make");
    const QString path = Path("shared.etx");
    QCOMPARE(SaveTextFile(path, QStringLiteral("pw"), QStringLiteral("old")), SaveResult::Saved);
    const QByteArray name = Name(path);
    QCOMPARE(::chown(name.constData(), 0, kNobody), 0);
    QCOMPARE(::chmod(name.constData(), 0640), 0);
    const QByteArray acl = AccessList();
    if (::setxattr(name.constData(), "system.posix_acl_access", acl.constData(), acl.size(), 0) !=
            0 ||
        ::setxattr(name.constData(), "user.origin", "team", 4, 0) != 0)
        QSKIP(qPrintable(QStringLiteral("no access lists or extended attributes here: %1")
                             .arg(QString::fromLocal8Bit(std::strerror(errno)))));
    const QByteArray aclBefore = Attribute(path, "system.posix_acl_access");
    const struct stat before = StatOf(path);

    QString reason;
    QCOMPARE(SaveTextFile(path, QStringLiteral("pw"), QStringLiteral("new"), &reason),
             SaveResult::Saved);
    QVERIFY2(reason.isEmpty(), qPrintable(reason));
    const struct stat after = StatOf(path);
    QVERIFY(after.st_ino != before.st_ino); // really a new file
    QCOMPARE(after.st_gid, gid_t(kNobody));
    QCOMPARE(after.st_mode & 07777, mode_t(0640));
    QCOMPARE(Attribute(path, "system.posix_acl_access"), aclBefore);
    QCOMPARE(Attribute(path, "user.origin"), QByteArray("team"));
}

void TestFileReplacement::accessNarrowedWhereNotKept_data() {
    QTest::addColumn<bool>("withAcl");
    QTest::addColumn<int>("mode"); // after the save
    // Others may read; the group may write: the writer's own group must not gain the write.
    QTest::newRow("group not the writer's") << false << 0644;
    QTest::newRow("group not the writer's, with an access list") << true << 0604;
}

void TestFileReplacement::accessNarrowedWhereNotKept() {
    QFETCH(bool, withAcl);
    QFETCH(int, mode);
    if (::geteuid() != 0)
        QSKIP("saving as another user who is not in the file's group needs root to set up");
    // A file of user nobody and group root (which nobody is not in), saved by nobody.
    QVERIFY(QDir(m_dir.path()).mkpath("shared"));
    const QString folder = Path("shared");
    QCOMPARE(::chmod(Name(folder).constData(), 0777), 0);
    QCOMPARE(::chmod(Name(m_dir.path()).constData(), 0755), 0);
    const QString path = Path("shared/team.txt");
    WriteRaw(path, "old");
    QCOMPARE(::chown(Name(path).constData(), kNobody, 0), 0);
    QCOMPARE(::chmod(Name(path).constData(), 0664), 0);
    if (withAcl) {
        QByteArray acl = AccessList();
        acl.replace(4 + 8 * 4 + 2, 2, QByteArray("\x04\x00", 2)); // others may read
        acl.replace(4 + 8 * 2 + 2, 2, QByteArray("\x06\x00", 2)); // the group may write
        acl.replace(4 + 8 * 3 + 2, 2, QByteArray("\x06\x00", 2)); // so may the mask
        if (::setxattr(Name(path).constData(), "system.posix_acl_access", acl.constData(),
                       acl.size(), 0) != 0)
            QSKIP("no access lists here");
    }
    int channel[2];
    QCOMPARE(::pipe(channel), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        QString reason;
        const bool ok = ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 &&
                        ::setuid(kNobody) == 0 && WriteWholeFile(path, "new", &reason);
        const QByteArray said = (ok ? "saved:" : "failed:") + reason.toUtf8();
        (void)!::write(channel[1], said.constData(), size_t(said.size()));
        ::_exit(0);
    }
    ::close(channel[1]);
    QByteArray said;
    char buffer[1024];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, int(n));
    ::close(channel[0]);
    ::waitpid(child, nullptr, 0);
    QVERIFY2(said.startsWith("saved:"), said.constData());
    QVERIFY2(said.contains("group could not be kept"), said.constData());
    QCOMPARE(ReadAll(path), QByteArray("new"));
    QCOMPARE(StatOf(path).st_mode & 07777, mode_t(mode));
    QCOMPARE(StatOf(path).st_gid, gid_t(kNobody));
}

void TestFileReplacement::specialFiles_data() {
    QTest::addColumn<bool>("intoSpecial");
    QTest::newRow("the editor refuses a FIFO") << false;
    QTest::newRow("keystow-cli writes into a FIFO") << true;
}

void TestFileReplacement::specialFiles() {
    QFETCH(bool, intoSpecial);
    const QString fifo = Path("fifo");
    QCOMPARE(::mkfifo(Name(fifo).constData(), 0600), 0);
    SetWriteIntoSpecialFiles(intoSpecial);
    QByteArray got;
    std::thread reader;
    if (intoSpecial)
        reader = std::thread([&] { got = ReadAll(fifo); });
    QString reason;
    const bool written = WriteWholeFile(fifo, "through the pipe", &reason);
    if (reader.joinable())
        reader.join();
    QCOMPARE(written, intoSpecial);
    QVERIFY(S_ISFIFO(StatOf(fifo).st_mode));
    if (intoSpecial)
        QCOMPARE(got, QByteArray("through the pipe"));
    else
        QVERIFY2(reason.contains("not a regular file"), qPrintable(reason));
}

void TestFileReplacement::smallSaveOnFullDisk() {
    FullDisk disk;
    QString why;
    if (!disk.Mount(why))
        QSKIP(qPrintable(why));
    const QString path = disk.Path(QStringLiteral("doc.etx"));
    QCOMPARE(SaveTextFile(path, QStringLiteral("pw"), QStringLiteral("the old text")),
             SaveResult::Saved);
    const QByteArray before = ReadAll(path);
    disk.Fill();
    QString reason;
    QCOMPARE(SaveTextFile(path, QStringLiteral("pw"), QStringLiteral("new"), &reason),
             SaveResult::NotWritten);
    QVERIFY2(reason.contains(QString::fromLocal8Bit(std::strerror(ENOSPC))), qPrintable(reason));
    QCOMPARE(ReadAll(path), before);
    QCOMPARE(disk.Names(), QStringList{QStringLiteral("doc.etx")});
}

std::unique_ptr<QObject> CreateFileReplacementTest() {
    return std::make_unique<TestFileReplacement>();
}

#include "tst_filereplacement.moc"
