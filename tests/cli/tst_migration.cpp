// Moving accounts to KeePassXC and back, checked against the real keepassxc-cli: our KeePass
// XML goes in through its import, comes out through its XML and CSV exports, and keystow-cli
// reads those back to the same accounts, field by field.
#include "AccountsJson.h"
#include "MigrationSamples.h"
#include "PasswordsFile.h"

#include "CliRun.h"
#include "TestFiles.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray kDatabasePassword = "kdbx password";

struct Run {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

} // namespace

class TestMigration : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void roundTrips_data();
    void roundTrips();
    void showGivesEveryField_data();
    void showGivesEveryField();
    void exportIsOwnerOnlyAndGuarded();
    void importRefusals_data();
    void importRefusals();
    void helpNamesTheFormats();

private:
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    Run KeePassXc(const QStringList& args, const QByteArray& input) const;
    void WriteKsw(const AccountSet& accounts, const QString& path) const;
    AccountSet ReadKsw(const QString& path) const;
    void ToKdbx(const QString& ksw, const QString& kdbx) const;

    QTemporaryDir m_dir;
    QString m_keepassxc;
};

void TestMigration::initTestCase() {
    QVERIFY(m_dir.isValid());
    QVERIFY(QFileInfo(CliProgram()).isExecutable());
    // Not a skip: without it the migration goes unchecked.
    m_keepassxc = QStandardPaths::findExecutable(QStringLiteral("keepassxc-cli"));
    QVERIFY2(!m_keepassxc.isEmpty(),
             "keepassxc-cli is not installed (Debian package keepassxc; scripts/deps.sh)");
}

Run TestMigration::KeePassXc(const QStringList& args, const QByteArray& input) const {
    QProcess process;
    process.start(m_keepassxc, args);
    process.write(input);
    process.closeWriteChannel();
    Run run;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit) {
        run.code = process.exitCode();
    }
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

void TestMigration::WriteKsw(const AccountSet& accounts, const QString& path) const {
    AccountStore store;
    FillStore(accounts, store);
    const QString json = path + QStringLiteral(".json");
    WriteRaw(json, AccountsToJson(store));
    const CliResult made = RunCli({"import", json, path, "--force"});
    QVERIFY2(made.code == 0, made.err.constData());
}

AccountSet TestMigration::ReadKsw(const QString& path) const {
    AccountStore store;
    QString reason;
    const PasswordsLoadResult result =
        OpenPasswordsFile(path, QStringLiteral("secret"), store, &reason);
    if (result != PasswordsLoadResult::Loaded) {
        qWarning("%s: %s", qPrintable(path), qPrintable(reason));
    }
    return SetOf(store);
}

// Our KeePass XML export, imported by keepassxc-cli into a new database.
void TestMigration::ToKdbx(const QString& ksw, const QString& kdbx) const {
    const QString xml = ksw + QStringLiteral(".xml");
    const CliResult exported =
        RunCli({"export", ksw, "--format", "keepass-xml", "-o", xml, "--force"});
    QVERIFY2(exported.code == 0, exported.err.constData());
    QFile::remove(kdbx);
    const Run imported = KeePassXc({"import", "-q", "-p", "-t", "100", xml, kdbx},
                                   kDatabasePassword + '\n' + kDatabasePassword + '\n');
    QVERIFY2(imported.code == 0, imported.err.constData());
}

void TestMigration::roundTrips_data() {
    QTest::addColumn<AccountSet>("accounts");
    QTest::addColumn<QString>("route");
    for (const auto& [name, set] : AccountSets()) {
        for (const char* route : {"keepassxc xml", "keepassxc csv", "our csv"}) {
            QTest::addRow("%s, %s", name, route) << set << QString::fromLatin1(route);
        }
    }
}

void TestMigration::roundTrips() {
    QFETCH(AccountSet, accounts);
    QFETCH(QString, route);
    const QString start = Path("start.ksw");
    const QString back = Path("back.ksw");
    WriteKsw(accounts, start);
    if (QTest::currentTestFailed()) {
        return;
    }
    QString format = QStringLiteral("csv");
    const QString middle = Path("middle");
    if (route == u"our csv") {
        const CliResult exported =
            RunCli({"export", start, "--format", "csv", "-o", middle, "--force"});
        QVERIFY2(exported.code == 0, exported.err.constData());
    } else {
        const QString kdbx = Path("middle.kdbx");
        ToKdbx(start, kdbx);
        if (QTest::currentTestFailed()) {
            return;
        }
        const bool xml = route == u"keepassxc xml";
        format = xml ? QStringLiteral("keepass-xml") : QStringLiteral("csv");
        const Run exported =
            KeePassXc({"export", "-q", "-f", xml ? "xml" : "csv", kdbx}, kDatabasePassword + '\n');
        QVERIFY2(exported.code == 0, exported.err.constData());
        WriteRaw(middle, exported.out);
    }
    const CliResult imported = RunCli({"import", middle, back, "--format", format, "--force"});
    QVERIFY2(imported.code == 0, imported.err.constData());
    CompareSets(ReadKsw(back), accounts);
}

void TestMigration::showGivesEveryField_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("attribute");
    QTest::addColumn<QString>("value");

    const auto add = [](const char* entry, const char* attribute, const QString& value) {
        QTest::addRow("%s %s", entry, attribute)
            << QString::fromUtf8(entry) << QString::fromLatin1(attribute) << value;
    };
    add("/Web Accounts/Bank", "Title", "Bank");
    add("/Web Accounts/Bank", "UserName", " me & you ");
    add("/Web Accounts/Bank", "Password", "p\r\nw <\"'> ");
    add("/Web Accounts/Bank", "URL", "https://bank.example/?a=1&b=2");
    add("/Web Accounts/Bank", "Notes", QStringLiteral("первая\r\n\r\n 第二 \r\n"));
    add("/Email Accounts/Post", "UserName", "");
    add("/Email Accounts/Post", "Password", "\tpw\t");
    add("/Email Accounts/Post", "URL", "https://post.example");
    add("/Email Accounts/Post", "Mail Address", "me@post.example");
    add("/Email Accounts/Post", "Web Interface", "https://post.example");
    add("/Email Accounts/Post", "SMTP Server", " smtp.example ");
    add("/Email Accounts/Post", "POP Server", "");
    add("/Email Accounts/Post", "Notes",
        "Mail Address: me@post.example\r\nSMTP Server:  smtp.example \r\nn]]>");
    add("/Other Accounts/Card", "Description", QStringLiteral("Visa 💳"));
    add("/Other Accounts/Card", "PIN", "0042");
    add("/Other Accounts/Card", "Password", "0042");
    add("/Other Accounts/Card", "Notes", QStringLiteral("Description: Visa 💳\r\nline\r\n"));
}

void TestMigration::showGivesEveryField() {
    QFETCH(QString, entry);
    QFETCH(QString, attribute);
    QFETCH(QString, value);
    const QString kdbx = Path("show.kdbx");
    if (!QFileInfo::exists(kdbx)) {
        AccountSet set{{{"Bank", "https://bank.example/?a=1&b=2", " me & you ", "p\r\nw <\"'> ",
                         QStringLiteral("первая\r\n\r\n 第二 \r\n")}},
                       {{"Post", "me@post.example", "https://post.example", " smtp.example ", "",
                         "", "\tpw\t", "n]]>"}},
                       {{"Card", QStringLiteral("Visa 💳"), "0042", "line\r\n"}}};
        WriteKsw(set, Path("show.ksw"));
        if (!QTest::currentTestFailed()) {
            ToKdbx(Path("show.ksw"), kdbx);
        }
        if (QTest::currentTestFailed()) {
            QFile::remove(kdbx);
            return;
        }
    }
    const Run shown =
        KeePassXc({"show", "-q", "-s", "-a", attribute, kdbx, entry}, kDatabasePassword + '\n');
    QVERIFY2(shown.code == 0, shown.err.constData());
    // One attribute, then a line feed.
    QVERIFY(shown.out.endsWith('\n'));
    QCOMPARE(QString::fromUtf8(shown.out.chopped(1)), value);
}

void TestMigration::exportIsOwnerOnlyAndGuarded() {
    WriteKsw({{{"w", "", "", "secret pw"}}, {}, {}}, Path("guard.ksw"));
    const QString out = Path("guard.xml");
    const CliResult first =
        RunCli({"export", Path("guard.ksw"), "--format", "keepass-xml", "-o", out});
    QCOMPARE(first.code, 0);
    QVERIFY(first.err.contains("is not encrypted"));
    QVERIFY(!first.err.contains("secret pw"));
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    QCOMPARE(QFileInfo(out).permissions() & others, QFileDevice::Permissions());
    QVERIFY(QFileInfo(out).permissions() & QFileDevice::WriteOwner);
    QVERIFY(ReadAll(out).contains("secret pw"));

    WriteRaw(out, "keep me");
    const CliResult again =
        RunCli({"export", Path("guard.ksw"), "--format", "KeePass-XML", "-o", out});
    QCOMPARE(again.code, 4);
    QVERIFY(again.err.contains(out.toUtf8()));
    QCOMPARE(ReadAll(out), QByteArray("keep me"));
    QCOMPARE(
        RunCli({"export", Path("guard.ksw"), "--format", "keepass-xml", "-o", out, "--force"}).code,
        0);
    QVERIFY(ReadAll(out).contains("<KeePassFile>"));
}

void TestMigration::importRefusals_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("error");

    QTest::newRow("malformed XML")
        << "keepass-xml" << QByteArray("<KeePassFile>\n<Root>\n<Group></Root>\n") << 1
        << QByteArray("line 3, column");
    QTest::newRow("XML with a DTD")
        << "keepass-xml"
        << QByteArray("<!DOCTYPE KeePassFile [<!ENTITY e \"x\">]><KeePassFile>&e;</KeePassFile>")
        << 1 << QByteArray("a document type declaration is not accepted");
    QTest::newRow("JSON given as XML")
        << "keepass-xml" << QByteArray("{\"web\":[]}") << 1 << QByteArray("line 1, column");
    QTest::newRow("unclosed quote in CSV") << "csv" << QByteArray("Title\n\"open\n") << 1
                                           << QByteArray("line 2, column 1: the quoted field");
    QTest::newRow("unknown format")
        << "xml" << QByteArray("<KeePassFile/>") << 1 << QByteArray("unknown format \"xml\"");
}

void TestMigration::importRefusals() {
    QFETCH(QString, format);
    QFETCH(QByteArray, input);
    QFETCH(int, code);
    QFETCH(QByteArray, error);
    const QString in = Path("refused.in");
    const QString out = Path("refused.ksw");
    WriteRaw(in, input);
    QFile::remove(out);
    const CliResult run = RunCli({"import", in, out, "--format", format});
    QCOMPARE(run.code, code);
    QVERIFY2(run.err.contains(error), run.err.constData());
    QVERIFY(!QFileInfo::exists(out));
}

void TestMigration::helpNamesTheFormats() {
    const CliResult help = RunCli({"--help"});
    QCOMPARE(help.code, 0);
    QVERIFY(
        help.out.contains("export FILE.ksw [--format json|csv|keepass-xml] [-o OUT] [--force]"));
    QVERIFY(help.out.contains("import IN OUT.ksw [--format json|csv|keepass-xml] [--force]"));
}

QTEST_GUILESS_MAIN(TestMigration)
#include "tst_migration.moc"
