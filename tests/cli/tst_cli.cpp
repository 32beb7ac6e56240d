#include "TextFile.h"

#include "CliRun.h"
#include "FullDisk.h"
#include "TestFiles.h"

#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <vector>

extern char** environ;

namespace {

// A process's soft and hard core file size limits, as /proc shows them ("0 0": no core files).
QByteArray CoreLimits(qint64 pid) {
    const QByteArray all = ReadAll(QStringLiteral("/proc/%1/limits").arg(pid));
    const qsizetype at = all.indexOf("Max core file size");
    return at < 0 ? QByteArray()
                  : all.mid(at).split('\n').first().simplified().split(' ').mid(4, 2).join(' ');
}

} // namespace

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
    void writingCommandsGuardTheirOutput_data();
    void writingCommandsGuardTheirOutput();
    void sequentialInputs_data();
    void sequentialInputs();
    void fifoInputAndNoPasswordInEnvironment();
    void promptGivesEchoBack_data();
    void promptGivesEchoBack();
    void largeFilesFailCleanly_data();
    void largeFilesFailCleanly();
    void editorSwitchesCoreDumpsOff();
    void outputsThatAreNotFiles_data();
    void outputsThatAreNotFiles();
    void fullDiskKeepsTheOldOutput_data();
    void fullDiskKeepsTheOldOutput();

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
                             "6 the file decrypts but does not hold a passwords document",
                             "verify checks the password and the padding, not the content",
                             "Keep backups", "only with --force"})
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
    // Stored, the zero would end the text: everything after it would be lost.
    QTest::newRow("text holding a zero")
        << QStringList{QStringLiteral("encrypt"), QStringLiteral("-"), Path("x.etx")}
        << QByteArray("secret") << QByteArray("one\ntwo x\0y", 11) << 2
        << QStringLiteral("line 2, column 6");
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

void TestCli::writingCommandsGuardTheirOutput_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("guarded");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("reason");
    const QString good = Path("good.etx"), json = Path("in.json"), text = Path("in.txt");
    const QString exists = Path("exists.txt"), force = QStringLiteral("--force");
    const QString o = QStringLiteral("-o"), dec = QStringLiteral("decrypt");
    const QString same = QStringLiteral("same file"), noForce = QStringLiteral("use --force");
    QTest::newRow("decrypt onto itself") << QStringList{dec, good, o, good} << good << 4 << same;
    QTest::newRow("decrypt onto itself, forced")
        << QStringList{dec, good, o, good, force} << good << 4 << same;
    QTest::newRow("decrypt onto a hard link of itself, forced")
        << QStringList{dec, good, o, Path("hard.etx"), force} << good << 4 << same;
    QTest::newRow("decrypt onto a symbolic link to itself, forced")
        << QStringList{dec, Path("soft.etx"), o, good, force} << good << 4 << same;
    QTest::newRow("decrypt onto its password file, forced")
        << QStringList{dec,
                       good,
                       o,
                       Path("pw-guard.txt"),
                       QStringLiteral("--password-file"),
                       Path("pw-guard.txt"),
                       force}
        << Path("pw-guard.txt") << 4 << same;
    QTest::newRow("decrypt onto another file")
        << QStringList{dec, good, o, exists} << exists << 4 << noForce;
    QTest::newRow("decrypt onto another file, forced")
        << QStringList{dec, good, o, exists, force} << exists << 0 << QString();
    QTest::newRow("encrypt onto another file")
        << QStringList{QStringLiteral("encrypt"), text, exists} << exists << 4 << noForce;
    QTest::newRow("encrypt onto itself, forced")
        << QStringList{QStringLiteral("encrypt"), text, text, force} << text << 4 << same;
    QTest::newRow("export onto another file")
        << QStringList{QStringLiteral("export"), good, o, exists} << exists << 4 << noForce;
    QTest::newRow("export onto itself, forced")
        << QStringList{QStringLiteral("export"), good, o, good, force} << good << 4 << same;
    QTest::newRow("import onto another file")
        << QStringList{QStringLiteral("import"), json, exists} << exists << 4 << noForce;
    QTest::newRow("import onto itself, forced")
        << QStringList{QStringLiteral("import"), json, json, force} << json << 4 << same;
}

void TestCli::writingCommandsGuardTheirOutput() {
    QFETCH(QStringList, args);
    QFETCH(QString, guarded);
    QFETCH(int, code);
    QFETCH(QString, reason);
    WriteRaw(Path("exists.txt"), "keep me");
    WriteRaw(Path("in.txt"), "plain text");
    WriteRaw(Path("in.json"), "{}");
    WriteRaw(Path("pw-guard.txt"), "secret\n");
    QFile::remove(Path("hard.etx"));
    QFile::remove(Path("soft.etx"));
    QCOMPARE(::link(QFile::encodeName(Path("good.etx")).constData(),
                    QFile::encodeName(Path("hard.etx")).constData()),
             0);
    QVERIFY(QFile::link(Path("good.etx"), Path("soft.etx")));
    const QByteArray before = ReadAll(guarded);
    const CliResult run = RunCli(args);
    QCOMPARE(run.code, code);
    if (code == 0) {
        QCOMPARE(ReadAll(guarded), QByteArray("line 1\r\nline 2"));
        return;
    }
    QVERIFY2(run.err.contains(reason.toUtf8()), run.err.constData());
    QVERIFY2(run.err.contains(QFileInfo(guarded).fileName().toUtf8()), run.err.constData());
    QCOMPARE(ReadAll(guarded), before);
}

void TestCli::sequentialInputs_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("stored"); // what out.etx must hold afterwards
    const QString out = Path("out.etx");
    // A pipe says it holds 0 bytes: what it carries must be read all the same.
    QTest::newRow("encrypt from /dev/stdin")
        << QStringList{QStringLiteral("encrypt"), QStringLiteral("/dev/stdin"), out}
        << QByteArray("secret") << QByteArray("important") << 0 << QStringLiteral("important");
    QTest::newRow("encrypt a large piped text")
        << QStringList{QStringLiteral("encrypt"), QStringLiteral("/dev/stdin"), out}
        << QByteArray("secret") << QByteArray(300000, 'p') << 0 << QString(300000, QChar('p'));
    QTest::newRow("password file from a pipe")
        << QStringList{QStringLiteral("--password-file"), QStringLiteral("/dev/stdin"),
                       QStringLiteral("verify"), Path("good.etx")}
        << QByteArray() << QByteArray("secret\n") << 0 << QString();
    QTest::newRow("empty pipe is refused")
        << QStringList{QStringLiteral("decrypt"), QStringLiteral("/dev/stdin")}
        << QByteArray("secret") << QByteArray() << 2 << QString();
}

void TestCli::sequentialInputs() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, input);
    QFETCH(int, code);
    QFETCH(QString, stored);
    QFile::remove(Path("out.etx"));
    const CliResult run = RunCli(args, password, input);
    QCOMPARE(run.code, code);
    if (!stored.isEmpty()) {
        QString text;
        QCOMPARE(LoadTextFile(Path("out.etx"), QStringLiteral("secret"), text), LoadResult::Loaded);
        QCOMPARE(text, stored);
    }
}

void TestCli::fifoInputAndNoPasswordInEnvironment() {
    const QString fifo = Path("pipe.etx");
    QFile::remove(fifo);
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KEYSTOW_PASSWORD"), QStringLiteral("secret"));
    process.setProcessEnvironment(env);
    process.start(CliProgram(), {QStringLiteral("decrypt"), fifo});
    QVERIFY(process.waitForStarted());
    const QString proc = QStringLiteral("/proc/%1/").arg(process.processId());
    // It waits for the FIFO's writer with the password read: by then nothing of it may be
    // left in its environment, where /proc shows it to the user's other programs.
    QTRY_VERIFY_WITH_TIMEOUT(!ReadAll(proc + "environ").contains("KEYSTOW_PASSWORD"), 10000);
    QVERIFY(ReadAll(proc + "environ").contains("PATH="));
    QCOMPARE(CoreLimits(process.processId()), QByteArray("0 0"));
    WriteRaw(fifo, ReadAll(Path("good.etx")));
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardOutput(), QByteArray("line 1\r\nline 2"));
}

void TestCli::promptGivesEchoBack_data() {
    QTest::addColumn<int>("sig");
    QTest::addColumn<QByteArray>("typed"); // typed at the terminal instead of sending sig
    QTest::newRow("Ctrl+C") << SIGINT << QByteArray("\x03");
    QTest::newRow("SIGTERM") << SIGTERM << QByteArray();
    QTest::newRow("SIGHUP") << SIGHUP << QByteArray();
    QTest::newRow("wrong password typed") << 0 << QByteArray("not it\r");
}

void TestCli::promptGivesEchoBack() {
    QFETCH(int, sig);
    QFETCH(QByteArray, typed);
    // Everything the child needs is made before the fork: after it, only exec.
    const QByteArray program = QFile::encodeName(CliProgram());
    const QByteArray file = QFile::encodeName(Path("good.etx"));
    std::vector<char*> argv{const_cast<char*>(program.constData()), const_cast<char*>("verify"),
                            const_cast<char*>(file.constData()), nullptr};
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e)
        if (qstrncmp(*e, "KEYSTOW_PASSWORD=", 17) != 0)
            envp.push_back(*e);
    envp.push_back(nullptr);
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    QVERIFY(pid >= 0);
    if (pid == 0) {
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    QByteArray shown;
    QElapsedTimer clock;
    clock.start();
    while (!shown.contains("Password: ") && clock.elapsed() < 20000) {
        pollfd p{master, POLLIN, 0};
        if (poll(&p, 1, 100) > 0) {
            char buffer[256];
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n > 0)
                shown.append(buffer, n);
        }
    }
    QVERIFY2(shown.contains("Password: "), shown.constData());
    termios mode{};
    QCOMPARE(tcgetattr(master, &mode), 0);
    QVERIFY(!(mode.c_lflag & ECHO)); // the password is not shown while typed
    if (!typed.isEmpty())
        QCOMPARE(write(master, typed.constData(), typed.size()), ssize_t(typed.size()));
    else
        QCOMPARE(kill(pid, sig), 0);
    int status = 0;
    pid_t done = 0;
    while ((done = waitpid(pid, &status, WNOHANG)) == 0 && clock.elapsed() < 40000) {
        pollfd p{master, POLLIN, 0};
        if (poll(&p, 1, 20) > 0) {
            char buffer[256];
            (void)!read(master, buffer, sizeof buffer);
        }
    }
    QCOMPARE(done, pid);
    QCOMPARE(tcgetattr(master, &mode), 0);
    ::close(master);
    QVERIFY2(mode.c_lflag & ECHO, "echo stays off after the program ended");
    if (sig != 0) {
        // The signal still ends the program as it would have, for the shell to see.
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), sig);
    } else {
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 3);
    }
}

void TestCli::largeFilesFailCleanly_data() {
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("memoryKiB"); // the address space the program gets; 0: no limit
    QTest::addColumn<QString>("reason");
    QTest::newRow("over the size limit")
        << (qint64(1) << 30) + 8 << 0 << QStringLiteral("The file is too large.");
    QTest::newRow("more than memory allows")
        << (qint64(1) << 29) << 400000 << QStringLiteral("Not enough memory to open big.etx.");
}

void TestCli::largeFilesFailCleanly() {
    QFETCH(qint64, size);
    QFETCH(int, memoryKiB);
    QFETCH(QString, reason);
#if defined(__SANITIZE_ADDRESS__)
    if (memoryKiB > 0)
        QSKIP("AddressSanitizer needs more address space than the limit leaves");
#endif
    // Sparse: the file takes no room on disk.
    const QString path = Path("big.etx");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QVERIFY(file.resize(size));
    }
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KEYSTOW_PASSWORD"), QStringLiteral("secret"));
    process.setProcessEnvironment(env);
    const QString limit =
        memoryKiB > 0 ? QStringLiteral("ulimit -v %1; ").arg(memoryKiB) : QString();
    process.start(QStringLiteral("/bin/sh"),
                  {QStringLiteral("-c"), limit + QStringLiteral("exec \"$0\" verify \"$1\""),
                   CliProgram(), path});
    QVERIFY(process.waitForFinished(60000));
    QFile::remove(path);
    // A clear refusal, not an abort.
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);
    const QByteArray err = process.readAllStandardError();
    QVERIFY2(err.contains(reason.toUtf8()), err.constData());
}

void TestCli::editorSwitchesCoreDumpsOff() {
    const QString editor = EditorProgram();
    if (!QFileInfo(editor).isExecutable())
        QSKIP("the editor is not built");
    QTemporaryDir home;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath("config"));
    env.insert(QStringLiteral("KEYSTOW_DATA_DIR"), home.filePath("data"));
    process.setProcessEnvironment(env);
    process.start(editor, {});
    QVERIFY(process.waitForStarted());
    // Its first step; from then on no crash of it writes a core file.
    QTRY_COMPARE_WITH_TIMEOUT(CoreLimits(process.processId()), QByteArray("0 0"), 10000);
    process.kill();
    QVERIFY(process.waitForFinished(10000));
}

void TestCli::outputsThatAreNotFiles_data() {
    QTest::addColumn<QString>("out");
    // No --force: they are written into, not replaced.
    QTest::newRow("FIFO") << Path("out.fifo");
    QTest::newRow("/dev/stdout") << QStringLiteral("/dev/stdout");
}

void TestCli::outputsThatAreNotFiles() {
    QFETCH(QString, out);
    const QByteArray fifo = QFile::encodeName(Path("out.fifo"));
    QFile::remove(Path("out.fifo"));
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    // The reader is there first; what comes fits in the pipe.
    const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    const CliResult run = RunCli({"decrypt", Path("good.etx"), "-o", out});
    char buffer[4096];
    const ssize_t n = ::read(reader, buffer, sizeof buffer);
    ::close(reader);
    QVERIFY2(run.code == 0, run.err.constData());
    struct stat info {};
    QVERIFY(::lstat(fifo.constData(), &info) == 0 && S_ISFIFO(info.st_mode));
    QCOMPARE(run.out + QByteArray(buffer, int(qMax<ssize_t>(n, 0))), "line 1\r\nline 2");
}

void TestCli::fullDiskKeepsTheOldOutput_data() {
    QTest::addColumn<QStringList>("args"); // OUT: the file on the full disk
    const QString o = QStringLiteral("-o"), force = QStringLiteral("--force");
    QTest::newRow("encrypt") << QStringList{"encrypt", Path("small.txt"), "OUT", force};
    QTest::newRow("decrypt -o") << QStringList{"decrypt", Path("good.etx"), o, "OUT", force};
    QTest::newRow("export -o") << QStringList{"export", Path("empty.ksw"), o, "OUT", force};
    QTest::newRow("import") << QStringList{"import", Path("export.json"), "OUT", force};
}

void TestCli::fullDiskKeepsTheOldOutput() {
    QFETCH(QStringList, args);
    FullDisk disk;
    if (const QString why = disk.Mount(); !why.isEmpty())
        QSKIP(qPrintable(why));
    WriteRaw(Path("small.txt"), "new text");
    WriteRaw(Path("export.json"), "{}");
    QCOMPARE(SaveTextFile(Path("empty.ksw"), "secret", "<DOC/>"), SaveResult::Saved);
    const QString out = disk.Path(QStringLiteral("out"));
    WriteRaw(out, "the old output");
    disk.Fill();
    args.replace(args.indexOf(QStringLiteral("OUT")), out);
    const CliResult run = RunCli(args);
    QCOMPARE(run.code, 4);
    QVERIFY2(run.err.contains(QFile::encodeName(out) + ": No space left on device"),
             run.err.constData());
    QCOMPARE(ReadAll(out), QByteArray("the old output"));
    QCOMPARE(disk.Names(), QStringList{"out"});
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
