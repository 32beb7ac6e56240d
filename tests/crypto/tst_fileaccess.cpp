#include "CryptoTestSupport.h"

#include "CoreDumps.h"
#include "FileAccess.h"
#include "TextFile.h"

#include "../common/TestFiles.h"

#include <QtTest>

#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <thread>

namespace {

// What the imitated file system answers to a lock request.
int g_lockErrno = 0;
int FailingLock(int, int operation) {
    if (operation == LOCK_UN)
        return 0;
    errno = g_lockErrno;
    return -1;
}

// What the imitated folder sync saw and answers.
int g_folderSyncs = 0;
ino_t g_syncedInode = 0;
int g_syncErrno = 0;
int RecordingFolderSync(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ++g_folderSyncs;
        g_syncedInode = info.st_ino;
    }
    errno = g_syncErrno;
    return g_syncErrno == 0 ? 0 : -1;
}

QByteArray Pattern(int size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>('a' + (i * 31 + i / 7) % 26);
    return bytes;
}

const uid_t kNobody = 65534;

struct stat StatOf(const QString& path) {
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}

QByteArray Attribute(const QString& path, const char* name) {
    char value[256];
    const ssize_t n = ::getxattr(QFile::encodeName(path).constData(), name, value, sizeof value);
    return n < 0 ? QByteArray() : QByteArray(value, int(n));
}

// Owner rw, user nobody r, owning group rw, mask rw, others r: version 2, then each entry's
// tag, permissions and id, little-endian.
const QByteArray kAcl = QByteArray::fromHex(
    "02000000 0100 0600 ffffffff 0200 0400 feff0000 0400 0600 ffffffff 1000 0600 ffffffff "
    "2000 0400 ffffffff");

mode_t ModeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

} // namespace

class TestFileAccess : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void fifoReadToItsEnd_data();
    void fifoReadToItsEnd();
    void procFileReadToItsEnd();
    void regularOnlyRefusesWithoutWaiting_data();
    void regularOnlyRefusesWithoutWaiting();
    void sizeCheckedBeforeAllocating_data();
    void sizeCheckedBeforeAllocating();
    void allocationFailureIsReported();
    void readersShareWritersExclude();
    void lockErrors_data();
    void lockErrors();
    void saveKeepsModeAndReplacesLinks();
    void saveSyncsTheFolder_data();
    void saveSyncsTheFolder();
    void zeroCharacterRefused_data();
    void zeroCharacterRefused();
    void coreDumpsSwitchedOff();
    void links_data();
    void links();
    void accessKept();

private:
    QTemporaryDir m_dir;
    QString Path(const QString& name) const { return m_dir.filePath(name); }
};

void TestFileAccess::init() {
    QVERIFY(m_dir.isValid());
}

void TestFileAccess::cleanup() {
    SetLockCallForTesting(nullptr);
    SetFolderSyncCallForTesting(nullptr);
}

void TestFileAccess::fifoReadToItsEnd_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<bool>("ok");
    QTest::newRow("nothing") << 0 << kMaxDocumentBytes << true;
    QTest::newRow("a few bytes") << 9 << kMaxDocumentBytes << true;
    // More than a pipe holds at once, so the writer blocks between the reads.
    QTest::newRow("several pipe fills") << 300000 << kMaxDocumentBytes << true;
    QTest::newRow("exactly the limit") << 70000 << qint64(70000) << true;
    QTest::newRow("over the limit") << 70001 << qint64(70000) << false;
}

void TestFileAccess::fifoReadToItsEnd() {
    QFETCH(int, size);
    QFETCH(qint64, limit);
    QFETCH(bool, ok);
    const QString fifo = Path("fifo");
    QFile::remove(fifo);
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QByteArray sent = Pattern(size);
    std::thread writer([&] {
        QFile out(fifo);
        if (out.open(QIODevice::WriteOnly))
            out.write(sent); // fails early once the reader gave up: that is fine
    });
    ReadOptions options;
    options.regularOnly = false;
    options.limit = limit;
    QByteArray got;
    QString reason;
    const bool read = ReadWholeFile(fifo, got, &reason, options);
    writer.join();
    QCOMPARE(read, ok);
    if (ok)
        QCOMPARE(got, sent);
    else
        QVERIFY2(reason.contains("too large") && got.isEmpty(), qPrintable(reason));
}

void TestFileAccess::procFileReadToItsEnd() {
    // A /proc file says it holds 0 bytes; its content is there all the same.
    ReadOptions options;
    options.regularOnly = false;
    QByteArray got;
    QVERIFY(ReadWholeFile(QStringLiteral("/proc/self/status"), got, nullptr, options));
    QVERIFY2(got.contains("Pid:"), got.constData());
}

void TestFileAccess::regularOnlyRefusesWithoutWaiting_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO nobody writes to") << QStringLiteral("fifo");
    QTest::newRow("folder") << QStringLiteral("folder");
    QTest::newRow("device") << QStringLiteral("/dev/zero");
}

void TestFileAccess::regularOnlyRefusesWithoutWaiting() {
    QFETCH(QString, kind);
    QString path = kind;
    if (kind == u"fifo") {
        path = Path("lonely.etx");
        QFile::remove(path);
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == u"folder") {
        path = Path("folder.etx");
        QVERIFY(QDir(m_dir.path()).mkpath("folder.etx"));
    }
    // The editor's reads: a FIFO without a writer would block a plain open for good, and
    // /dev/zero would never end.
    QString text;
    QString reason;
    QCOMPARE(LoadTextFile(path, QStringLiteral("pw"), text, &reason), LoadResult::NotRead);
    QVERIFY(!reason.isEmpty());
    QVERIFY(text.isEmpty());
}

void TestFileAccess::sizeCheckedBeforeAllocating_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reason");
    QTest::newRow("not whole blocks")
        << 12 << qint64(1024) << int(ReadStatus::BadLength) << QStringLiteral("damaged");
    QTest::newRow("over the limit")
        << 1032 << qint64(1024) << int(ReadStatus::Failed) << QStringLiteral("too large");
    QTest::newRow("within") << 1024 << qint64(1024) << int(ReadStatus::Read) << QString();
}

void TestFileAccess::sizeCheckedBeforeAllocating() {
    QFETCH(int, size);
    QFETCH(qint64, limit);
    QFETCH(int, status);
    QFETCH(QString, reason);
    WriteRaw(Path("sized.etx"), Pattern(size));
    ReadOptions options;
    options.limit = limit;
    options.multipleOf = 8;
    int allocations = 0;
    QByteArray room;
    qint64 got = -1;
    QString why;
    const ReadStatus result = ReadWholeFileInto(
        Path("sized.etx"),
        [&](qint64 length) {
            ++allocations;
            room.resize(length);
            return room.data();
        },
        got, &why, options);
    QCOMPARE(int(result), status);
    QCOMPARE(allocations, result == ReadStatus::Read ? 1 : 0);
    if (result == ReadStatus::Read)
        QCOMPARE(room, Pattern(size));
    else
        QVERIFY2(why.contains(reason), qPrintable(why));
}

void TestFileAccess::allocationFailureIsReported() {
    WriteRaw(Path("big.etx"), Pattern(64));
    for (const bool throws : {true, false}) {
        qint64 got = -1;
        QString why;
        const ReadStatus result = ReadWholeFileInto(
            Path("big.etx"),
            [throws](qint64) -> char* {
                if (throws)
                    throw std::bad_alloc();
                return nullptr;
            },
            got, &why);
        QCOMPARE(result, ReadStatus::Failed);
        QCOMPARE(why, QStringLiteral("Not enough memory to open big.etx."));
    }
}

void TestFileAccess::readersShareWritersExclude() {
    const QString path = Path("shared.etx");
    QCOMPARE(SaveTextFile(path, QStringLiteral("pw"), QStringLiteral("old")), SaveResult::Saved);
    QFile reader(path);
    QVERIFY(reader.open(QIODevice::ReadOnly));
    // Another reader holds its lock: reading goes on, writing waits for it to finish.
    QCOMPARE(::flock(reader.handle(), LOCK_SH | LOCK_NB), 0);
    QString text;
    QCOMPARE(LoadTextFile(path, QStringLiteral("pw"), text), LoadResult::Loaded);
    QCOMPARE(text, QStringLiteral("old"));
    QString reason;
    QCOMPARE(SaveTextFile(path, QStringLiteral("pw"), QStringLiteral("new"), &reason),
             SaveResult::NotWritten);
    QCOMPARE(reason, QStringLiteral("The file is in use by another program."));
    ::flock(reader.handle(), LOCK_UN);
    QCOMPARE(SaveTextFile(path, QStringLiteral("pw"), QStringLiteral("new")), SaveResult::Saved);
}

void TestFileAccess::lockErrors_data() {
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("goesOn");
    QTest::newRow("no locks on this file system (ENOLCK)") << ENOLCK << true;
    QTest::newRow("locks not supported (EOPNOTSUPP)") << EOPNOTSUPP << true;
    QTest::newRow("held by another (EWOULDBLOCK)") << EWOULDBLOCK << false;
    QTest::newRow("other failure (EIO)") << EIO << false;
}

void TestFileAccess::lockErrors() {
    QFETCH(int, error);
    QFETCH(bool, goesOn);
    const QString path = Path("nolocks.etx");
    QCOMPARE(SaveTextFile(path, QStringLiteral("pw"), QStringLiteral("old")), SaveResult::Saved);
    g_lockErrno = error;
    SetLockCallForTesting(FailingLock);
    QString text, readReason, writeReason;
    const LoadResult loaded = LoadTextFile(path, QStringLiteral("pw"), text, &readReason);
    const SaveResult saved =
        SaveTextFile(path, QStringLiteral("pw"), QStringLiteral("new"), &writeReason);
    SetLockCallForTesting(nullptr);
    QCOMPARE(loaded, goesOn ? LoadResult::Loaded : LoadResult::NotRead);
    QCOMPARE(saved, goesOn ? SaveResult::Saved : SaveResult::NotWritten);
    // "In use" only when someone really holds the file.
    const bool inUse = error == EWOULDBLOCK;
    if (!goesOn) {
        QCOMPARE(readReason.contains("in use by another program"), inUse);
        QCOMPARE(writeReason.contains("in use by another program"), inUse);
    }
    QCOMPARE(LoadTextFile(path, QStringLiteral("pw"), text), LoadResult::Loaded);
    QCOMPARE(text, goesOn ? QStringLiteral("new") : QStringLiteral("old"));
}

void TestFileAccess::saveKeepsModeAndReplacesLinks() {
    const QString path = Path("mode.etx");
    QCOMPARE(SaveTextFile(path, QStringLiteral("pw"), QStringLiteral("old")), SaveResult::Saved);
    QCOMPARE(ModeOf(path), mode_t(0600));
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    QCOMPARE(::link(QFile::encodeName(path).constData(),
                    QFile::encodeName(Path("other-link.etx")).constData()),
             0);
    QCOMPARE(SaveTextFile(path, QStringLiteral("pw"), QStringLiteral("new")), SaveResult::Saved);
    QCOMPARE(ModeOf(path), mode_t(0640));
    // The name now holds a new file; the other link keeps what it had.
    QString text;
    QCOMPARE(LoadTextFile(Path("other-link.etx"), QStringLiteral("pw"), text), LoadResult::Loaded);
    QCOMPARE(text, QStringLiteral("old"));
    QCOMPARE(LoadTextFile(path, QStringLiteral("pw"), text), LoadResult::Loaded);
    QCOMPARE(text, QStringLiteral("new"));
}

void TestFileAccess::saveSyncsTheFolder_data() {
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("saved");
    QTest::newRow("synced") << 0 << true;
    QTest::newRow("folder cannot be synced here (EINVAL)") << EINVAL << true;
    QTest::newRow("disk error (EIO)") << EIO << false;
}

void TestFileAccess::saveSyncsTheFolder() {
    QFETCH(int, error);
    QFETCH(bool, saved);
    QVERIFY(QDir(m_dir.path()).mkpath("sub"));
    const QString path = Path("sub/synced.etx");
    g_folderSyncs = 0;
    g_syncErrno = error;
    SetFolderSyncCallForTesting(RecordingFolderSync);
    QString reason;
    const SaveResult result =
        SaveTextFile(path, QStringLiteral("pw"), QStringLiteral("text"), &reason);
    SetFolderSyncCallForTesting(nullptr);
    // The folder that holds the renamed file is synced once the rename is done.
    QCOMPARE(g_folderSyncs, 1);
    struct stat folder {};
    QCOMPARE(::stat(QFile::encodeName(Path("sub")).constData(), &folder), 0);
    QCOMPARE(g_syncedInode, folder.st_ino);
    QCOMPARE(result, saved ? SaveResult::Saved : SaveResult::NotWritten);
    if (!saved)
        QVERIFY2(reason.contains("folder could not be synced"), qPrintable(reason));
}

void TestFileAccess::zeroCharacterRefused_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("where");
    const QChar zero(0);
    QTest::newRow("alone") << QString(zero) << QStringLiteral("line 1, column 1");
    QTest::newRow("after CR LF") << QStringLiteral("one\r\ntw") + zero
                                 << QStringLiteral("line 2, column 3");
    QTest::newRow("after CR, LF and CR LF")
        << QStringLiteral("a\rb\nc\r\n  ") + zero + QStringLiteral("tail")
        << QStringLiteral("line 4, column 3");
    QTest::newRow("two zeros: the first counts")
        << QStringLiteral("ab") + zero + QStringLiteral("\n") + zero
        << QStringLiteral("line 1, column 3");
}

void TestFileAccess::zeroCharacterRefused() {
    QFETCH(QString, text);
    QFETCH(QString, where);
    const QString path = Path("zero.etx");
    QCOMPARE(SaveTextFile(path, QStringLiteral("pw"), QStringLiteral("old")), SaveResult::Saved);
    const QByteArray before = ReadAll(path);
    QString reason;
    QCOMPARE(SaveTextFile(path, QStringLiteral("pw"), text, &reason), SaveResult::NotWritten);
    QVERIFY2(reason.contains(where), qPrintable(reason));
    QCOMPARE(ReadAll(path), before);
}

void TestFileAccess::coreDumpsSwitchedOff() {
    QVERIFY(DisableCoreDumps());
    rlimit limit{};
    QCOMPARE(::getrlimit(RLIMIT_CORE, &limit), 0);
    QCOMPARE(limit.rlim_cur, rlim_t(0));
    QCOMPARE(limit.rlim_max, rlim_t(0));
    QCOMPARE(::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), 0);
}

void TestFileAccess::links_data() {
    QTest::addColumn<uid_t>("outer"); // owner of the link saved through
    QTest::addColumn<uid_t>("inner"); // owner of the link it leads to
    QTest::newRow("own link to own link") << uid_t(0) << uid_t(0);
    QTest::newRow("another user's link") << kNobody << uid_t(0);
    QTest::newRow("own link to another user's link") << uid_t(0) << kNobody;
}

void TestFileAccess::links() {
    if (::geteuid() != 0)
        QSKIP("links of other users need root to make");
    QFETCH(uid_t, outer);
    QFETCH(uid_t, inner);
    QTemporaryDir dir;
    const auto at = [&dir](const char* name) { return QFile::encodeName(dir.filePath(name)); };
    QCOMPARE(SaveTextFile(dir.filePath("private.etx"), "pw", "private"), SaveResult::Saved);
    const QByteArray before = ReadAll(dir.filePath("private.etx"));
    QCOMPARE(::symlink("private.etx", at("inner.etx").constData()), 0);
    QCOMPARE(::symlink("inner.etx", at("team.etx").constData()), 0);
    QCOMPARE(::lchown(at("team.etx").constData(), outer, outer), 0);
    QCOMPARE(::lchown(at("inner.etx").constData(), inner, inner), 0);
    QString reason;
    const SaveResult result = SaveTextFile(dir.filePath("team.etx"), "pw", "replaced", &reason);
    QVERIFY(S_ISLNK(StatOf(at("team.etx")).st_mode) && S_ISLNK(StatOf(at("inner.etx")).st_mode));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden).size(), 3);
    QCOMPARE(result, outer == 0 && inner == 0 ? SaveResult::Saved : SaveResult::NotWritten);
    QCOMPARE(ReadAll(dir.filePath("private.etx")) == before, result != SaveResult::Saved);
    if (result != SaveResult::Saved)
        QVERIFY2(reason.contains("symbolic link owned by another user"), qPrintable(reason));
}

void TestFileAccess::accessKept() {
    if (::geteuid() != 0)
        QSKIP("a file of another group needs root to make");
    const QString path = Path("shared.txt");
    WriteRaw(path, "old");
    const QByteArray name = QFile::encodeName(path);
    const char* file = name.constData();
    QCOMPARE(::chown(file, 0, kNobody), 0);
    if (::setxattr(file, "system.posix_acl_access", kAcl.constData(), kAcl.size(), 0) != 0 ||
        ::setxattr(file, "user.origin", "team", 4, 0) != 0)
        QSKIP("this file system keeps no access lists or extended attributes");
    QCOMPARE(::chmod(file, 0640), 0);
    const struct stat before = StatOf(path);
    const QByteArray aclBefore = Attribute(path, "system.posix_acl_access");
    QString reason;
    QVERIFY(WriteWholeFile(path, "new", &reason));
    QVERIFY2(reason.isEmpty(), qPrintable(reason));
    const struct stat after = StatOf(path);
    QCOMPARE(ReadAll(path), QByteArray("new"));
    QVERIFY(after.st_ino != before.st_ino);
    QCOMPARE(after.st_mode & 07777, mode_t(0640));
    QCOMPARE(after.st_gid, gid_t(kNobody));
    QCOMPARE(Attribute(path, "system.posix_acl_access"), aclBefore);
    QCOMPARE(Attribute(path, "user.origin"), QByteArray("team"));
}

std::unique_ptr<QObject> CreateFileAccessTest() {
    return std::make_unique<TestFileAccess>();
}

#include "tst_fileaccess.moc"
