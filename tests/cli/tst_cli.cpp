#include "TextFile.h"

#include "CliRun.h"
#include "TestFiles.h"

#include <QtTest>

#include <sys/stat.h>

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void helpAndVersion();
    void usageErrors_data();
    void usageErrors();
    void encryptThenDecrypt();
    void decryptToOwnerOnlyFile();
    void passwordFileFirstLine();
    void accentedPasswordUsesCodePage();
    void failures_data();
    void failures();

private:
    QTemporaryDir m_dir;
    QString Path(const QString& name) const { return m_dir.filePath(name); }
};

void TestCli::initTestCase() {
    QVERIFY(m_dir.isValid());
    QVERIFY(QFileInfo(CliProgram()).isExecutable());
    QCOMPARE(SaveTextFile(Path("good.etx"), QStringLiteral("secret"),
                          QStringLiteral("line 1\r\nline 2")),
             SaveResult::Saved);
    WriteRaw(Path("empty.etx"), QByteArray());
    WriteRaw(Path("short.etx"), ReadAll(Path("good.etx")).left(12));
}

void TestCli::helpAndVersion() {
    const CliResult help = RunCli({QStringLiteral("--help")});
    QCOMPARE(help.code, 0);
    for (const char* word : {"decrypt", "encrypt", "verify", "KEYSTOW_PASSWORD", "--password-file",
                             "6 the file decrypts but does not hold a passwords document"})
        QVERIFY2(help.out.contains(word), word);
    const CliResult version = RunCli({QStringLiteral("--version")});
    QCOMPARE(version.code, 0);
    QVERIFY(version.out.startsWith("keystow-cli "));
}

void TestCli::usageErrors_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no command") << QStringList();
    QTest::newRow("unknown command") << QStringList{QStringLiteral("frobnicate")};
    QTest::newRow("decrypt without file") << QStringList{QStringLiteral("decrypt")};
    QTest::newRow("encrypt with one argument")
        << QStringList{QStringLiteral("encrypt"), QStringLiteral("a")};
    QTest::newRow("unknown option")
        << QStringList{QStringLiteral("--bogus"), QStringLiteral("verify"), QStringLiteral("x")};
}

void TestCli::usageErrors() {
    QFETCH(QStringList, args);
    const CliResult run = RunCli(args);
    QCOMPARE(run.code, 1);
    QVERIFY(run.err.startsWith("keystow-cli: "));
}

void TestCli::encryptThenDecrypt() {
    const QByteArray text = "caf\xC3\xA9 \xE4\xB8\x96\r\n  spaced  \r\n";
    const QString out = Path("piped.etx");
    const CliResult enc =
        RunCli({QStringLiteral("encrypt"), QStringLiteral("-"), out}, "secret", text);
    QCOMPARE(enc.code, 0);
    QString loaded;
    QCOMPARE(LoadTextFile(out, QStringLiteral("secret"), loaded), LoadResult::Loaded);
    QCOMPARE(loaded, QString::fromUtf8(text));
    const CliResult dec = RunCli({QStringLiteral("decrypt"), out});
    QCOMPARE(dec.code, 0);
    QCOMPARE(dec.out, text);
    QVERIFY(dec.err.contains("not encrypted"));
    QCOMPARE(RunCli({QStringLiteral("verify"), out}).code, 0);
}

void TestCli::decryptToOwnerOnlyFile() {
    const QString out = Path("plain.txt");
    const CliResult run =
        RunCli({QStringLiteral("decrypt"), Path("good.etx"), QStringLiteral("-o"), out});
    QCOMPARE(run.code, 0);
    QVERIFY(run.out.isEmpty());
    QCOMPARE(ReadAll(out), QByteArray("line 1\r\nline 2"));
    struct stat info {};
    QCOMPARE(::stat(QFile::encodeName(out).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, mode_t(0600));
}

void TestCli::passwordFileFirstLine() {
    WriteRaw(Path("pw.txt"), "secret\r\nsecond line\n");
    const CliResult run = RunCli({QStringLiteral("--password-file"), Path("pw.txt"),
                                  QStringLiteral("verify"), Path("good.etx")},
                                 QByteArray());
    QCOMPARE(run.code, 0);
    // The file wins over the environment.
    const CliResult both = RunCli({QStringLiteral("verify"), Path("good.etx"),
                                   QStringLiteral("--password-file"), Path("pw.txt")},
                                  "wrong");
    QCOMPARE(both.code, 0);
}

void TestCli::accentedPasswordUsesCodePage() {
    // A UTF-8 "é" is keyed as the single byte 0xE9, as the editor does.
    QCOMPARE(SaveTextFile(Path("accent.etx"), QStringLiteral("p\u00e9"), QStringLiteral("x")),
             SaveResult::Saved);
    QCOMPARE(RunCli({QStringLiteral("verify"), Path("accent.etx")}, "p\xC3\xA9").code, 0);
}

void TestCli::failures_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("named");
    const QString good = Path("good.etx");
    QTest::newRow("missing file") << QStringList{QStringLiteral("decrypt"), Path("none.etx")}
                                  << QByteArray("secret") << QByteArray() << 2
                                  << QStringLiteral("none.etx");
    QTest::newRow("empty file") << QStringList{QStringLiteral("verify"), Path("empty.etx")}
                                << QByteArray("secret") << QByteArray() << 2
                                << QStringLiteral("empty.etx");
    QTest::newRow("wrong password")
        << QStringList{QStringLiteral("decrypt"), good} << QByteArray("Secret") << QByteArray() << 3
        << QStringLiteral("good.etx");
    QTest::newRow("damaged length")
        << QStringList{QStringLiteral("verify"), Path("short.etx")} << QByteArray("secret")
        << QByteArray() << 3 << QStringLiteral("short.etx");
    QTest::newRow("empty password") << QStringList{QStringLiteral("verify"), good} << QByteArray("")
                                    << QByteArray() << 5 << QString();
    QTest::newRow("password outside code page")
        << QStringList{QStringLiteral("encrypt"), QStringLiteral("-"), Path("x.etx")}
        << QByteArray("\xD0\xBF\xD0\xB0") << QByteArray("text") << 5 << QString();
    QTest::newRow("output folder missing")
        << QStringList{QStringLiteral("decrypt"), good, QStringLiteral("-o"),
                       Path("no/dir/out.txt")}
        << QByteArray("secret") << QByteArray() << 4 << QStringLiteral("out.txt");
    QTest::newRow("encrypt into missing folder")
        << QStringList{QStringLiteral("encrypt"), QStringLiteral("-"), Path("no/dir/x.etx")}
        << QByteArray("secret") << QByteArray("text") << 4 << QStringLiteral("x.etx");
    QTest::newRow("input not UTF-8")
        << QStringList{QStringLiteral("encrypt"), QStringLiteral("-"), Path("y.etx")}
        << QByteArray("secret") << QByteArray("\xFF\xFE\x00") << 2
        << QStringLiteral("standard input");
}

void TestCli::failures() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, input);
    QFETCH(int, code);
    QFETCH(QString, named);
    const CliResult run = RunCli(args, password, input);
    QCOMPARE(run.code, code);
    QVERIFY(run.out.isEmpty());
    QCOMPARE(run.err.count('\n'), 1);
    if (!named.isEmpty())
        QVERIFY2(run.err.contains(named.toUtf8()), run.err.constData());
    QVERIFY(!run.err.contains(password.isEmpty() ? QByteArray("\x01") : password));
    QVERIFY(!QFileInfo::exists(Path("x.etx")) && !QFileInfo::exists(Path("y.etx")));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
