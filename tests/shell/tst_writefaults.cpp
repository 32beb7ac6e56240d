#include "ShellTestSupport.h"

#include "BrowserHistory.h"
#include "FileAccess.h"
#include "LockSettings.h"
#include "LockSettingsFile.h"
#include "PasswordsFile.h"
#include "ShellRegistration.h"
#include "TextFile.h"

#include "../common/TestFiles.h"

#include <QDir>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <functional>

namespace {

enum Writer { TextDocument, PasswordsDocument, LockSettingsWriter, History, DesktopFiles };

// Writes new content to the file named path; true when the writer says it succeeded.
bool WriteWith(int writer, const QString& folder, const QString& path) {
    switch (writer) {
    case TextDocument:
        return SaveTextFile(path, QStringLiteral("pw"), QStringLiteral("new text")) ==
               SaveResult::Saved;
    case PasswordsDocument: {
        AccountStore store;
        store.web.append({"bank", "https://b.example", "me", "secret", ""});
        return SavePasswordsFile(path, QStringLiteral("pw"), store) == SaveResult::Saved;
    }
    case LockSettingsWriter:
        return LockSettingsFile::Write(path, LockSettings());
    case History: {
        BrowserHistory history;
        history.AddEntered(QStringLiteral("example.org"));
        return history.Save(path);
    }
    case DesktopFiles: {
        // Without the desktop databases' tools, whose caches would appear in the folder.
        const QByteArray searched = qgetenv("PATH");
        qputenv("PATH", "");
        const bool ok = RegisterShellFileTypes(QStringLiteral("/usr/bin/keystow"), folder);
        qputenv("PATH", searched);
        return ok;
    }
    }
    return false;
}

// The file each writer replaces, below its folder.
QString FileOf(int writer) {
    switch (writer) {
    case LockSettingsWriter:
        return QStringLiteral("lock.dat");
    case History:
        return QStringLiteral("h.dat");
    case DesktopFiles:
        // The first of the two it writes; each file stands on its own.
        return QStringLiteral("mime/packages/keystow-editor.xml");
    case PasswordsDocument:
        return QStringLiteral("doc.ksw");
    default:
        return QStringLiteral("doc.etx");
    }
}

QStringList NamesUnder(const QString& folder) {
    QStringList names;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        names.append(QDir(folder).relativeFilePath(it.next()));
    names.sort();
    return names;
}

} // namespace

class TestWriteFaults : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void everyWriterKeepsTheOldFile_data();
    void everyWriterKeepsTheOldFile();
};

void TestWriteFaults::cleanup() {
    SetWriteFaultForTesting(-1, 0, 0);
    SetWriteBufferForTesting(0);
}

void TestWriteFaults::everyWriterKeepsTheOldFile_data() {
    QTest::addColumn<int>("writer");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("nth");
    QTest::addColumn<int>("error");
    const struct {
        const char* name;
        int writer;
    } writers[] = {{"text document", TextDocument},
                   {"passwords document", PasswordsDocument},
                   {"lock settings", LockSettingsWriter},
                   {"browser history", History},
                   {"desktop files", DesktopFiles}};
    const struct {
        const char* name;
        int step;
        int nth;
        int error;
    } points[] = {{"first write, disk full", WriteStepWrite, 1, ENOSPC},
                  {"second write, I/O error", WriteStepWrite, 2, EIO},
                  {"last flush, disk full", WriteStepFlush, 1, ENOSPC},
                  {"last flush, quota", WriteStepFlush, 1, EDQUOT},
                  {"fsync, I/O error", WriteStepSync, 1, EIO},
                  {"fsync, disk full", WriteStepSync, 1, ENOSPC},
                  {"rename, read-only", WriteStepRename, 1, EROFS},
                  {"rename, busy", WriteStepRename, 1, EBUSY}};
    for (const auto& w : writers)
        for (const auto& p : points)
            QTest::addRow("%s: %s", w.name, p.name) << w.writer << p.step << p.nth << p.error;
}

void TestWriteFaults::everyWriterKeepsTheOldFile() {
    QFETCH(int, writer);
    QFETCH(int, step);
    QFETCH(int, nth);
    QFETCH(int, error);
    QTemporaryDir dir;
    const QString path = dir.filePath(FileOf(writer));
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    const QByteArray old = "the old file, as it was";
    WriteRaw(path, old);
    if (writer == DesktopFiles) {
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("applications")));
        WriteRaw(dir.filePath(QStringLiteral("applications/keystow-editor.desktop")), old);
    }
    const QStringList before = NamesUnder(dir.path());
    // Small buffers, so that even a short file is written in several pieces; 7 bytes do not
    // divide the lengths written here evenly, so something is always left for the last flush.
    SetWriteBufferForTesting(7);
    SetWriteFaultForTesting(step, nth, error);
    const bool written = WriteWith(writer, dir.path(), path);
    SetWriteFaultForTesting(-1, 0, 0);
    QVERIFY2(!written, "a failed step was reported as success");
    QCOMPARE(ReadAll(path), old);
    QCOMPARE(NamesUnder(dir.path()), before);
    // Once the fault is gone the same writer replaces the file.
    QVERIFY(WriteWith(writer, dir.path(), path));
    QVERIFY(ReadAll(path) != old);
    QCOMPARE(NamesUnder(dir.path()), before);
}

std::unique_ptr<QObject> CreateWriteFaultsTest() {
    return std::make_unique<TestWriteFaults>();
}

#include "tst_writefaults.moc"
