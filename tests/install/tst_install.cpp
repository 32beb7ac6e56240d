// The installed tree: every file in place, and accepted by the tools that read it.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int code = -1;
    QString out;
    QString err;
};

Run RunProgram(const QString& program, const QStringList& arguments,
               const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
               const QString& folder = QString()) {
    QProcess process;
    process.setProcessEnvironment(env);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(program, arguments);
    Run run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.code = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString Data(const QString& relative) {
    return QStringLiteral(KEYSTOW_INSTALL_DATADIR "/") + relative;
}

} // namespace

class TestInstall : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void installedFile_data();
    void installedFile();
    void moduleWhereTheProgramLooks();
    void desktopEntry();
    void desktopFileValidates();
    void metainfoValidates();
    void manPageRenders_data();
    void manPageRenders();
    void manPageDocumentsEveryCommand();
    void completion_data();
    void completion();
    void completionKnowsEveryCommand();

private:
    QString Installed(const QString& relative) const { return m_prefix.filePath(relative); }
    QString Tool(const char* name) const;
    QStringList CliCommands() const;

    QTemporaryDir m_dir;
    QDir m_prefix;
};

void TestInstall::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_prefix = QDir(m_dir.filePath(QStringLiteral("prefix")));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DESTDIR"));
    const Run run = RunProgram(QStringLiteral(CMAKE_PROGRAM),
                               {QStringLiteral("--install"), QStringLiteral(KEYSTOW_BUILD_DIR),
                                QStringLiteral("--prefix"), m_prefix.path()},
                               env);
    QVERIFY2(run.code == 0, qPrintable(run.out + run.err));
}

QString TestInstall::Tool(const char* name) const {
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

void TestInstall::installedFile_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("executable");
    const QString bin = QStringLiteral(KEYSTOW_INSTALL_BINDIR "/");
    QTest::newRow("program") << bin + QStringLiteral("keystow") << true;
    QTest::newRow("cli") << bin + QStringLiteral("keystow-cli") << true;
    QTest::newRow("desktop entry")
        << Data(QStringLiteral("applications/org.keystow.Editor.desktop")) << false;
    QTest::newRow("mime package") << Data(QStringLiteral("mime/packages/keystow-editor.xml"))
                                  << false;
    QTest::newRow("metainfo") << Data(QStringLiteral("metainfo/org.keystow.Editor.metainfo.xml"))
                              << false;
    QTest::newRow("svg icon") << Data(QStringLiteral(
                                     "icons/hicolor/scalable/apps/org.keystow.Editor.svg"))
                              << false;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString path =
            Data(QStringLiteral("icons/hicolor/%1x%1/apps/org.keystow.Editor.png").arg(size));
        QTest::newRow(qPrintable(QStringLiteral("icon %1").arg(size))) << path << false;
    }
    QTest::newRow("man keystow") << QStringLiteral(KEYSTOW_INSTALL_MANDIR "/man1/keystow.1.gz")
                                 << false;
    QTest::newRow("man keystow-cli")
        << QStringLiteral(KEYSTOW_INSTALL_MANDIR "/man1/keystow-cli.1.gz") << false;
    QTest::newRow("completion") << Data(QStringLiteral("bash-completion/completions/keystow-cli"))
                                << false;
    QTest::newRow("copyright") << Data(QStringLiteral("doc/keystow/copyright")) << false;
    QTest::newRow("changelog") << Data(QStringLiteral("doc/keystow/changelog.gz")) << false;
}

void TestInstall::installedFile() {
    QFETCH(QString, path);
    QFETCH(bool, executable);
    const QFileInfo info(Installed(path));
    QVERIFY2(info.isFile() && info.size() > 0, qPrintable(path));
    QCOMPARE(info.isExecutable(), executable);
    if (path.endsWith(QLatin1String(".png"))) {
        // A PNG of the size its folder names.
        QFile file(info.filePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray head = file.read(24);
        QVERIFY(head.startsWith("\x89PNG\r\n\x1a\n"));
        const auto be32 = [&](int at) {
            return (quint32(quint8(head[at])) << 24) | (quint32(quint8(head[at + 1])) << 16) |
                   (quint32(quint8(head[at + 2])) << 8) | quint32(quint8(head[at + 3]));
        };
        const QString folder = info.dir().absolutePath().section(QLatin1Char('/'), -2, -2);
        QCOMPARE(QStringLiteral("%1x%2").arg(be32(16)).arg(be32(20)), folder);
    }
}

void TestInstall::moduleWhereTheProgramLooks() {
    // The browser's engine is loaded from this folder, relative to the installed program.
    const QDir programFolder(Installed(QStringLiteral(KEYSTOW_INSTALL_BINDIR)));
    const QString module = QDir::cleanPath(
        programFolder.filePath(QStringLiteral(KEYSTOW_MODULE_RELDIR "/libkeystow_webengine.so")));
    QVERIFY2(QFileInfo(module).isFile(), qPrintable(module));
    QVERIFY(!QFileInfo::exists(programFolder.filePath(QStringLiteral("libkeystow_webengine.so"))));
}

void TestInstall::desktopEntry() {
    QSettings entry(Installed(Data(QStringLiteral("applications/org.keystow.Editor.desktop"))),
                    QSettings::IniFormat);
    entry.beginGroup(QStringLiteral("Desktop Entry"));
    QCOMPARE(entry.value(QStringLiteral("Name")).toString(), QStringLiteral("Keystow Editor"));
    QCOMPARE(entry.value(QStringLiteral("Exec")).toString(), QStringLiteral("keystow %F"));
    // Read as a list: QSettings splits at the commas only, so take the raw text apart.
    QFile file(entry.fileName());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY(text.contains(
        QLatin1String("\nMimeType=application/x-keystow-etx;application/x-keystow-ksw;\n")));
    const QString icon = entry.value(QStringLiteral("Icon")).toString();
    QVERIFY(QFileInfo::exists(
        Installed(Data(QStringLiteral("icons/hicolor/scalable/apps/%1.svg").arg(icon)))));
    // The program the entry starts is the one installed.
    const QString program = entry.value(QStringLiteral("TryExec")).toString();
    QVERIFY(
        QFileInfo(Installed(QStringLiteral(KEYSTOW_INSTALL_BINDIR "/") + program)).isExecutable());
}

void TestInstall::desktopFileValidates() {
    const QString tool = Tool("desktop-file-validate");
    if (tool.isEmpty())
        QSKIP("desktop-file-validate is not installed");
    const Run run = RunProgram(
        tool, {Installed(Data(QStringLiteral("applications/org.keystow.Editor.desktop")))});
    QVERIFY2(run.code == 0, qPrintable(run.out + run.err));
    // Hints are advice; errors and warnings are not.
    QVERIFY2(!run.out.contains(QLatin1String("error:")) &&
                 !run.out.contains(QLatin1String("warning:")),
             qPrintable(run.out));
}

void TestInstall::metainfoValidates() {
    const QString tool = Tool("appstreamcli");
    if (tool.isEmpty())
        QSKIP("appstreamcli is not installed");
    const Run run = RunProgram(
        tool, {QStringLiteral("validate"), QStringLiteral("--no-net"),
               Installed(Data(QStringLiteral("metainfo/org.keystow.Editor.metainfo.xml")))});
    QVERIFY2(run.code == 0, qPrintable(run.out + run.err));
    // The record names what is installed.
    QFile file(Installed(Data(QStringLiteral("metainfo/org.keystow.Editor.metainfo.xml"))));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.contains("<launchable type=\"desktop-id\">org.keystow.Editor.desktop<"));
    QVERIFY(text.contains("<mediatype>application/x-keystow-etx</mediatype>"));
    QVERIFY(text.contains("<mediatype>application/x-keystow-ksw</mediatype>"));
}

void TestInstall::manPageRenders_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("heading");
    QTest::newRow("keystow") << "keystow.1.gz"
                             << "KEYSTOW(1)";
    QTest::newRow("keystow-cli") << "keystow-cli.1.gz"
                                 << "KEYSTOW-CLI(1)";
}

void TestInstall::manPageRenders() {
    QFETCH(QString, page);
    QFETCH(QString, heading);
    const QString man = Tool("man");
    if (man.isEmpty())
        QSKIP("man is not installed");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
    env.insert(QStringLiteral("MANPAGER"), QStringLiteral("cat"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    const QString path = Installed(QStringLiteral(KEYSTOW_INSTALL_MANDIR "/man1/") + page);
    const Run run =
        RunProgram(man, {QStringLiteral("--warnings"), QStringLiteral("-l"), path}, env);
    QVERIFY2(run.code == 0, qPrintable(run.err));
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    QVERIFY(run.out.startsWith(heading));
    for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS"})
        QVERIFY2(run.out.contains(QLatin1Char('\n') + QLatin1String(section) + QLatin1Char('\n')),
                 section);
}

QStringList TestInstall::CliCommands() const {
    // The commands as the installed program lists them in its help.
    const Run run = RunProgram(Installed(QStringLiteral(KEYSTOW_INSTALL_BINDIR "/keystow-cli")),
                               {QStringLiteral("--help")});
    if (run.code != 0)
        return {};
    QStringList commands;
    const QString list =
        run.out.section(QStringLiteral("Commands:\n"), 1).section(QStringLiteral("\n\n"), 0, 0);
    const QRegularExpression usage(QStringLiteral("^  ([a-z-]+) "),
                                   QRegularExpression::MultilineOption);
    for (auto it = usage.globalMatch(list); it.hasNext();)
        commands << it.next().captured(1);
    return commands;
}

void TestInstall::manPageDocumentsEveryCommand() {
    const QString man = Tool("man");
    if (man.isEmpty())
        QSKIP("man is not installed");
    const QStringList commands = CliCommands();
    QVERIFY(commands.size() >= 6);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("200"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    const Run run =
        RunProgram(man,
                   {QStringLiteral("-l"),
                    Installed(QStringLiteral(KEYSTOW_INSTALL_MANDIR "/man1/keystow-cli.1.gz"))},
                   env);
    QCOMPARE(run.code, 0);
    const QString commandsPart =
        QLatin1Char('\n') + run.out.section(QStringLiteral("\nCOMMANDS\n"), 1)
                                .section(QStringLiteral("\nOPTIONS\n"), 0, 0);
    for (const QString& command : commands)
        QVERIFY2(commandsPart.contains(QStringLiteral("\n       ") + command + QLatin1Char(' ')),
                 qPrintable(command));
    // Every option of the help, every exit code and every password source.
    const Run help = RunProgram(Installed(QStringLiteral(KEYSTOW_INSTALL_BINDIR "/keystow-cli")),
                                {QStringLiteral("--help")});
    const QRegularExpression option(QStringLiteral("(--[a-z-]+)"));
    for (auto it = option.globalMatch(help.out); it.hasNext();) {
        const QString name = it.next().captured(1);
        QVERIFY2(run.out.contains(name), qPrintable(name));
    }
    const QString exits = QLatin1Char('\n') + run.out.section(QStringLiteral("\nEXIT STATUS\n"), 1);
    for (int code = 0; code <= 6; ++code)
        QVERIFY2(exits.contains(QRegularExpression(QStringLiteral("\n {7}%1\\s").arg(code))),
                 qPrintable(QString::number(code)));
    for (const char* source : {"--password-file", "KEYSTOW_PASSWORD", "prompt"})
        QVERIFY2(run.out.section(QStringLiteral("\nPASSWORD\n"), 1).contains(QLatin1String(source)),
                 source);
    for (const char* format : {"json", "csv", "keepass-xml"})
        QVERIFY2(run.out.contains(
                     QRegularExpression(QStringLiteral("\n {14}%1\\s").arg(QLatin1String(format)))),
                 format);
}

void TestInstall::completion_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("commands") << "keystow-cli "
                              << QStringList{"decrypt", "encrypt", "export",  "import",
                                             "info",    "list",    "upgrade", "verify"};
    QTest::newRow("command prefix") << "keystow-cli ex" << QStringList{"export"};
    QTest::newRow("after an option") << "keystow-cli --force e" << QStringList{"encrypt", "export"};
    QTest::newRow("formats") << "keystow-cli export a.ksw --format "
                             << QStringList{"csv", "json", "keepass-xml"};
    QTest::newRow("format with equals")
        << "keystow-cli import --format=k" << QStringList{"keepass-xml"};
    QTest::newRow("export options")
        << "keystow-cli export a.ksw --f" << QStringList{"--force", "--format"};
    QTest::newRow("passwords files")
        << "keystow-cli list " << QStringList{"a.ksw", "folder", "two words.ksw"};
    QTest::newRow("documents") << "keystow-cli verify "
                               << QStringList{"a.ksw", "b.etx", "folder", "two words.ksw"};
    QTest::newRow("import output")
        << "keystow-cli import data.json " << QStringList{"a.ksw", "folder", "two words.ksw"};
    QTest::newRow("import input") << "keystow-cli import --format csv "
                                  << QStringList{"a.ksw", "b.etx", "data.json", "folder",
                                                 "two words.ksw"};
    QTest::newRow("output file") << "keystow-cli decrypt b.etx -o d" << QStringList{"data.json"};
    QTest::newRow("no third argument") << "keystow-cli list a.ksw " << QStringList{};
    QTest::newRow("strong for encrypt")
        << "keystow-cli encrypt a b --st" << QStringList{"--strong"};
    QTest::newRow("strong for import") << "keystow-cli import a b --s" << QStringList{"--strong"};
    QTest::newRow("no strong for decrypt") << "keystow-cli decrypt a --st" << QStringList{};
    QTest::newRow("upgrade output") << "keystow-cli upgrade a.ksw --o" << QStringList{"--output"};
    QTest::newRow("info documents")
        << "keystow-cli info " << QStringList{"a.ksw", "b.etx", "folder", "two words.ksw"};
}

void TestInstall::completion() {
    QFETCH(QString, line);
    QFETCH(QStringList, expected);
    const QString bash = Tool("bash");
    if (bash.isEmpty())
        QSKIP("bash is not installed");
    QTemporaryDir folder;
    for (const char* name : {"a.ksw", "b.etx", "data.json", "two words.ksw"}) {
        QFile file(folder.filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("folder")));

    // Drives the completion as bash does: the words of the line, the last one being completed.
    const QString script = QStringLiteral("set -u\n"
                                          "source \"$1\" || exit 9\n"
                                          "read -r -a COMP_WORDS <<< \"$2\"\n"
                                          "case $2 in *' ') COMP_WORDS+=('') ;; esac\n"
                                          "COMP_CWORD=$(( ${#COMP_WORDS[@]} - 1 ))\n"
                                          "_keystow_cli || exit 8\n"
                                          "printf '%s\\n' \"${COMPREPLY[@]}\" | LC_ALL=C sort\n");
    // --format=k reaches the function as three words when "=" breaks words, as by default.
    QString words = line;
    words.replace(QLatin1String("--format="), QLatin1String("--format = "));
    const Run run = RunProgram(
        bash,
        {QStringLiteral("-c"), script, QStringLiteral("bash"),
         Installed(Data(QStringLiteral("bash-completion/completions/keystow-cli"))), words},
        QProcessEnvironment::systemEnvironment(), folder.path());
    QVERIFY2(run.code == 0 && run.err.isEmpty(), qPrintable(run.err));
    QStringList got = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(got, expected);
}

void TestInstall::completionKnowsEveryCommand() {
    const QString bash = Tool("bash");
    if (bash.isEmpty())
        QSKIP("bash is not installed");
    QStringList commands = CliCommands();
    QVERIFY(!commands.isEmpty());
    commands.sort();
    const Run run = RunProgram(
        bash, {QStringLiteral("-c"),
               QStringLiteral("source \"$1\"; complete -p keystow-cli >/dev/null || exit 7; "
                              "COMP_WORDS=(keystow-cli ''); COMP_CWORD=1; _keystow_cli; "
                              "printf '%s\\n' \"${COMPREPLY[@]}\" | LC_ALL=C sort"),
               QStringLiteral("bash"),
               Installed(Data(QStringLiteral("bash-completion/completions/keystow-cli")))});
    QCOMPARE(run.code, 0);
    QCOMPARE(run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts), commands);
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
