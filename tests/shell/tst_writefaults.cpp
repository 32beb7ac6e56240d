#include "ShellTestSupport.h"

#include "BrowserHistory.h"
#include "FileAccess.h"
#include "LockSettings.h"
#include "LockSettingsFile.h"
#include "PasswordsFile.h"
#include "ShellRegistration.h"

#include "../common/TestFiles.h"

#include <QtTest>

#include <cerrno>

namespace {

enum Writer { TextDocument, PasswordsDocument, LockSettingsWriter, History, DesktopFiles };

// Writes new content to path (below folder); true when the writer says it succeeded.
bool WriteWith(int writer, const QString& folder, const QString& path) {
    AccountStore store;
    BrowserHistory history;
    store.web.append({"bank", "https://b.example", "me", "secret", ""});
    history.AddEntered(QStringLiteral("example.org"));
    // Without the desktop databases' tools, whose caches would appear in the folder.
    const QByteArray searched = qgetenv("PATH");
    qputenv("PATH", "");
    const bool ok[] = {
        writer == TextDocument && SaveTextFile(path, "pw", "new text") == SaveResult::Saved,
        writer == PasswordsDocument && SavePasswordsFile(path, "pw", store) == SaveResult::Saved,
        writer == LockSettingsWriter && LockSettingsFile::Write(path, LockSettings()),
        writer == History && history.Save(path),
        writer == DesktopFiles && RegisterShellFileTypes("/usr/bin/keystow", folder)};
    qputenv("PATH", searched);
    return ok[writer];
}

QStringList NamesUnder(const QString& folder) {
    QStringList names;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();)
        names.append(it.next());
    return names;
}

} // namespace

class TestWriteFaults : public QObject {
    Q_OBJECT
private slots:
    void everyWriterKeepsTheOldFile_data();
    void everyWriterKeepsTheOldFile();
};

void TestWriteFaults::everyWriterKeepsTheOldFile_data() {
    QTest::addColumn<int>("writer");
    QTest::addColumn<QString>("file"); // the one it replaces (the first of the desktop files)
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("nth");
    QTest::addColumn<int>("error");
    const char* writers[][2] = {{"text document", "doc.etx"},
                                {"passwords document", "doc.ksw"},
                                {"lock settings", "lock.dat"},
                                {"browser history", "h.dat"},
                                {"desktop files", "mime/packages/keystow-editor.xml"}};
    const struct {
        const char* name;
        int step, nth, error;
    } points[] = {{"first write, disk full", WriteStepWrite, 1, ENOSPC},
                  {"second write, I/O error", WriteStepWrite, 2, EIO},
                  {"last flush, disk full", WriteStepFlush, 1, ENOSPC},
                  {"fsync, I/O error", WriteStepSync, 1, EIO},
                  {"rename, read-only", WriteStepRename, 1, EROFS}};
    for (int w = TextDocument; w <= DesktopFiles; ++w)
        for (const auto& p : points)
            QTest::addRow("%s: %s", writers[w][0], p.name)
                << w << writers[w][1] << p.step << p.nth << p.error;
}

void TestWriteFaults::everyWriterKeepsTheOldFile() {
    QFETCH(int, writer);
    QFETCH(QString, file);
    QFETCH(int, step);
    QFETCH(int, nth);
    QFETCH(int, error);
    QTemporaryDir dir;
    const QString path = dir.filePath(file);
    const QString desktop = dir.filePath("applications/keystow-editor.desktop");
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()) &&
            QDir().mkpath(QFileInfo(desktop).absolutePath()));
    WriteRaw(path, "the old file");
    WriteRaw(desktop, "the old file");
    const QStringList before = NamesUnder(dir.path());
    // 7-byte pieces: even a short file is written in several, with a rest for the last flush.
    SetWriteBufferForTesting(7);
    SetWriteFaultForTesting(step, nth, error);
    const bool written = WriteWith(writer, dir.path(), path);
    SetWriteFaultForTesting(-1, 0, 0);
    QVERIFY2(!written, "a failed step was reported as success");
    QCOMPARE(ReadAll(path), QByteArray("the old file"));
    QCOMPARE(NamesUnder(dir.path()), before);
    // Without the fault the same writer replaces it.
    QVERIFY(WriteWith(writer, dir.path(), path));
    SetWriteBufferForTesting(0);
    QVERIFY(ReadAll(path) != "the old file");
    QCOMPARE(NamesUnder(dir.path()), before);
}

std::unique_ptr<QObject> CreateWriteFaultsTest() {
    return std::make_unique<TestWriteFaults>();
}

#include "tst_writefaults.moc"
