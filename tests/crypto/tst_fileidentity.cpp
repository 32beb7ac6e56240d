// Telling another program's change to a file from the file as it was read or written: the
// ways a name can come to hold something else, and the identity a read and a write learn.
#include "CryptoTestSupport.h"

#include "FileAccess.h"
#include "FileIdentity.h"

#include "../common/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

const QByteArray kBytes = QByteArrayLiteral("the file as this program wrote it");

enum class Change { None, SameSizeAndTime, SameBytesOtherFile, LinkToOtherFile, Folder, Removed };

// Writes other bytes of the same length into the file itself and sets its time back.
void RewriteKeepingTime(const QString& path) {
    struct stat before {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &before), 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QCOMPARE(file.write(QByteArray(kBytes.size(), 'x')), kBytes.size());
    file.close();
    const timespec times[2] = {before.st_atim, before.st_mtim};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

} // namespace

Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(FileIdentity::Disk)

class TestFileIdentity : public QObject {
    Q_OBJECT
private slots:
    void readAndWriteLearnTheSameFile();
    void changesTold_data();
    void changesTold();

private:
    QTemporaryDir m_dir;
};

void TestFileIdentity::readAndWriteLearnTheSameFile() {
    const QString path = m_dir.filePath(QStringLiteral("learnt"));
    FileIdentity written;
    QVERIFY(WriteWholeFileFrom(
        path, [](QIODevice& out) { return WriteAll(out, kBytes.constData(), kBytes.size()); },
        nullptr, &written));
    QVERIFY(written.IsKnown());
    QByteArray bytes;
    FileIdentity read;
    ReadOptions options;
    options.identity = &read;
    QVERIFY(ReadWholeFile(path, bytes, nullptr, options));
    QCOMPARE(read, written);
    QCOMPARE(FileIdentity::OfPath(path), written);
    QCOMPARE(written.CompareWith(path), FileIdentity::Disk::Same);
}

void TestFileIdentity::changesTold_data() {
    QTest::addColumn<Change>("change");
    QTest::addColumn<FileIdentity::Disk>("expected");
    QTest::newRow("untouched") << Change::None << FileIdentity::Disk::Same;
    // A time check alone misses these two.
    QTest::newRow("other bytes, same size and time")
        << Change::SameSizeAndTime << FileIdentity::Disk::Changed;
    QTest::newRow("replaced by a copy of the same bytes")
        << Change::SameBytesOtherFile << FileIdentity::Disk::Changed;
    QTest::newRow("replaced by a link to another file")
        << Change::LinkToOtherFile << FileIdentity::Disk::Changed;
    QTest::newRow("replaced by a folder") << Change::Folder << FileIdentity::Disk::Changed;
    QTest::newRow("removed") << Change::Removed << FileIdentity::Disk::Missing;
}

void TestFileIdentity::changesTold() {
    QFETCH(Change, change);
    QFETCH(FileIdentity::Disk, expected);
    const QString path = m_dir.filePath(QStringLiteral("watched"));
    const QString other = m_dir.filePath(QStringLiteral("other"));
    QFile::remove(path);
    QDir(path).removeRecursively();
    QVERIFY(WriteWholeFile(path, kBytes));
    const FileIdentity before = FileIdentity::OfPath(path);
    QVERIFY(before.IsKnown());
    switch (change) {
    case Change::None:
        break;
    case Change::SameSizeAndTime:
        RewriteKeepingTime(path);
        break;
    case Change::SameBytesOtherFile:
        WriteRaw(other, kBytes);
        QVERIFY(QFile::remove(path) && QFile::rename(other, path));
        break;
    case Change::LinkToOtherFile:
        WriteRaw(other, kBytes);
        QVERIFY(QFile::remove(path) && QFile::link(other, path));
        break;
    case Change::Folder:
        QVERIFY(QFile::remove(path) && QDir().mkdir(path));
        break;
    case Change::Removed:
        QVERIFY(QFile::remove(path));
        break;
    }
    QCOMPARE(before.CompareWith(path), expected);
    // The identity of what is there now tells the same.
    bool missing = false;
    const FileIdentity now = FileIdentity::OfPath(path, &missing);
    QCOMPARE(missing, expected == FileIdentity::Disk::Missing);
    QCOMPARE(now == before, expected == FileIdentity::Disk::Same);
    QFile::remove(other);
}

std::unique_ptr<QObject> CreateFileIdentityTest() {
    return std::make_unique<TestFileIdentity>();
}

#include "tst_fileidentity.moc"
