#include "tst_browserhistory.h"

#include "BrowserHistory.h"
#include "CWinApp.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <optional>

void TestBrowserHistory::init() {
    m_dir = std::make_unique<QTemporaryDir>();
}

QString TestBrowserHistory::Path() const {
    return m_dir->filePath(QStringLiteral("h.dat"));
}

void TestBrowserHistory::enteredAddress_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("bare host gets http")
        << QStringList{} << "example.com" << QStringList{"http://example.com"};
    QTest::newRow("ftp in capitals kept as typed")
        << QStringList{} << "FTP://Files.Example.com" << QStringList{"FTP://Files.Example.com"};
    QTest::newRow("scheme anywhere, any case")
        << QStringList{} << "see HTTPS://x.org" << QStringList{"see HTTPS://x.org"};
    QTest::newRow("earlier copy with slash goes")
        << QStringList{"http://b.org", "http://a.org/"} << "http://a.org"
        << QStringList{"http://a.org", "http://b.org"};
    QTest::newRow("earlier copy without slash goes")
        << QStringList{"http://a.org", "http://b.org"} << "http://A.org/"
        << QStringList{"http://A.org/", "http://b.org"};
    QTest::newRow("only one earlier copy goes")
        << QStringList{"http://a.org", "http://a.org"} << "a.org"
        << QStringList{"http://a.org", "http://a.org"};
    QTest::newRow("res address kept without http")
        << QStringList{} << "res://x.dll/page" << QStringList{"res://x.dll/page"};
}

void TestBrowserHistory::enteredAddress() {
    QFETCH(QStringList, before);
    QFETCH(QString, typed);
    QFETCH(QStringList, after);
    // The list is built as the file gives it: oldest line first.
    QFile file(Path());
    QVERIFY(file.open(QIODevice::WriteOnly));
    for (auto it = before.crbegin(); it != before.crend(); ++it)
        file.write(it->toUtf8() + '\n');
    file.close();
    BrowserHistory history;
    history.Load(Path());
    QCOMPARE(history.Entries(), before);
    history.AddEntered(typed);
    QCOMPARE(history.Entries(), after);
}

void TestBrowserHistory::chosenAddressMovesToTop() {
    BrowserHistory history;
    history.AddEntered(QStringLiteral("http://c.org"));
    history.AddEntered(QStringLiteral("http://b.org"));
    history.AddEntered(QStringLiteral("http://a.org"));
    history.AddChosen(QStringLiteral("http://C.ORG"));
    QCOMPARE(history.Entries(), (QStringList{"http://C.ORG", "http://a.org", "http://b.org"}));
}

void TestBrowserHistory::writtenOldestFirstAndReadBack() {
    BrowserHistory history;
    for (const char* entry : {"http://c.org", "http://b.org", "http://a.org"})
        history.AddEntered(QString::fromLatin1(entry));
    QVERIFY(history.Save(Path()));
    QFile file(Path());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("http://c.org\nhttp://b.org\nhttp://a.org\n"));
    BrowserHistory reread;
    reread.Load(Path());
    QCOMPARE(reread.Entries(), (QStringList{"http://a.org", "http://b.org", "http://c.org"}));
}

void TestBrowserHistory::spacesAndBreaksRemovedOnReading() {
    BrowserHistory history;
    history.AddEntered(QStringLiteral("http://with space.org"));
    QVERIFY(history.Save(Path()));
    QFile file(Path());
    QVERIFY(file.open(QIODevice::Append));
    file.write("\r\n \n http://crlf.org\r\n");
    file.close();
    BrowserHistory reread;
    reread.Load(Path());
    QCOMPARE(reread.Entries(), (QStringList{"http://crlf.org", "http://withspace.org"}));
}

void TestBrowserHistory::longLinesReadWhole() {
    const QByteArray long300 = "http://" + QByteArray(293, 'x');
    const QByteArray huge = "http://" + QByteArray(70 * 1024, 'y');
    QFile file(Path());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("http://first.org\n" + huge + "\n" + long300 + "\n" + huge);
    file.close();
    BrowserHistory history;
    history.Load(Path());
    // The 300-character line comes back whole; lines over 64 KiB are skipped.
    QCOMPARE(history.Entries(),
             (QStringList{QString::fromLatin1(long300), QStringLiteral("http://first.org")}));
}

void TestBrowserHistory::nonLatinAddressesSurviveAndOldFilesStillLoad() {
    BrowserHistory history;
    const QString address = QStringLiteral("http://пример.рф/страница");
    history.AddEntered(address);
    QVERIFY(history.Save(Path()));
    BrowserHistory reread;
    reread.Load(Path());
    QCOMPARE(reread.Entries(), QStringList{address});

    QFile old(Path());
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("http://caf\xe9.fr/\x80\n");
    old.close();
    reread.Load(Path());
    QCOMPARE(reread.Entries(), QStringList{QStringLiteral("http://café.fr/€")});
}

void TestBrowserHistory::savedOwnerOnlyAndFailureKeepsOldFile() {
    BrowserHistory history;
    history.AddEntered(QStringLiteral("http://kept.org"));
    QVERIFY(history.Save(Path()));
    const QFile::Permissions perms = QFile::permissions(Path());
    QVERIFY(perms & QFile::ReadOwner);
    QVERIFY(
        !(perms & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther)));
    // A folder that is not there: the save says so, and nothing is left behind.
    QVERIFY(!history.Save(m_dir->filePath(QStringLiteral("missing/h.dat"))));
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("missing"))));
}

void TestBrowserHistory::noDataFolderNoFile_data() {
    QTest::addColumn<bool>("withProgram");
    QTest::newRow("no program object") << false;
    QTest::newRow("program without data folder") << true;
}

void TestBrowserHistory::noDataFolderNoFile() {
    QFETCH(bool, withProgram);
    // An h.dat in the current folder is none of the program's.
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    WriteRaw(Path(), "http://planted.org\n");
    std::optional<CWinApp> app;
    if (withProgram)
        app.emplace(QStringLiteral("Keystow Editor"));
    QCOMPARE(BrowserHistory::FilePath(), QString());
    BrowserHistory::ResetShared();
    BrowserHistory* history = BrowserHistory::Shared();
    QCOMPARE(history->Entries(), QStringList());
    history->AddEntered(QStringLiteral("http://typed.org"));
    QVERIFY(!history->SaveToDataFolder());
    BrowserHistory::ResetShared();
    QVERIFY(QDir::setCurrent(before));
    QCOMPARE(ReadAll(Path()), QByteArray("http://planted.org\n"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"h.dat"});
}
