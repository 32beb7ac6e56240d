#include "tst_passwordscli.h"

#include "AccountsJson.h"
#include "AccountsKeePassXml.h"
#include "PasswordsFile.h"
#include "PasswordsMarkup.h"

#include <TextFile.h>

#include "CliRun.h"
#include "TestFiles.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

QByteArray Crlf(const char* lines) {
    return QByteArray(lines).replace("\n", "\r\n");
}

const QByteArray kAccountA = "<ACCOUNT><NAME>A</NAME><ADDRESS>B</ADDRESS><USERID>u</USERID>"
                             "<PASSWORD>p</PASSWORD><NOTES/></ACCOUNT>";

} // namespace

void TestPasswordsCli::initTestCase() {
    QVERIFY(m_dir.isValid());
    QVERIFY(QFileInfo(CliProgram()).isExecutable());
}

void TestPasswordsCli::importWritesTheLayout() {
    WriteRaw(Path("one.json"), R"({"web":[{"name":"A","address":"B"}]})");
    const CliResult run = RunCli({"import", Path("one.json"), Path("one.ksw")});
    QCOMPARE(run.code, 0);
    QByteArray text;
    QCOMPARE(LoadTextFileUtf8(Path("one.ksw"), QStringLiteral("secret"), text), LoadResult::Loaded);
    QCOMPARE(text, Crlf("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<DOC>\n"
                        "<WEB_ACCOUNTS>\n<ACCOUNT>\n<NAME>A</NAME>\n<ADDRESS>B</ADDRESS>\n"
                        "<USERID/>\n<PASSWORD/>\n<NOTES/>\n</ACCOUNT>\n</WEB_ACCOUNTS>\n"
                        "<MAIL_ACCOUNTS/>\n<OTHER_ACCOUNTS/>\n</DOC>\n"));
    QVERIFY(!ReadAll(Path("one.ksw")).contains("ACCOUNT"));
}

void TestPasswordsCli::listNamesKindAndName() {
    WriteRaw(Path("list.json"), R"({"web":[{"name":"bank"},{"name":"two\r\nlines"}],
        "mail":[{"name":"post"}],"other":[{"name":"card"},{"name":""}]})");
    QCOMPARE(RunCli({"import", Path("list.json"), Path("list.ksw")}).code, 0);
    const CliResult run = RunCli({"list", Path("list.ksw")});
    QCOMPARE(run.code, 0);
    QCOMPARE(run.out, QByteArray("web\tbank\nweb\ttwo  lines\nmail\tpost\nother\tcard\nother\t\n"));
    QVERIFY(run.err.isEmpty());
}

void TestPasswordsCli::exportJsonGivesTheReaderRules_data() {
    QTest::addColumn<QByteArray>("markup");
    QTest::addColumn<QByteArray>("json");

    QTest::newRow("declaration, comments, blanks, other root")
        << QByteArray("<?xml version=\"1.0\"?>\r\n<!DOCTYPE V [<!ENTITY x \"]>\">]>\r\n"
                      "<!-- mine -->\r\n<V>\r\n  <WEB_ACCOUNTS>\r\n  " +
                      kAccountA + "\r\n  </WEB_ACCOUNTS>\r\n</V>\r\n")
        << QByteArray(R"({"mail":[],"other":[],"web":[{"address":"B","name":"A","notes":"",
                      "password":"p","userId":"u"}]})");
    QTest::newRow("groups in the wrong order")
        << QByteArray("<DOC><OTHER_ACCOUNTS><ACCOUNT><NAME>o</NAME><USERID>d</USERID>"
                      "<PASSWORD>1</PASSWORD></ACCOUNT></OTHER_ACCOUNTS><WEB_ACCOUNTS>" +
                      kAccountA + "</WEB_ACCOUNTS></DOC>")
        << QByteArray(R"({"mail":[],"other":[{"description":"d","name":"o","notes":"",
                      "pin":"1"}],"web":[{"address":"B","name":"A","notes":"",
                      "password":"p","userId":"u"}]})");
    QTest::newRow("cdata and entities")
        << QByteArray("<DOC><OTHER_ACCOUNTS><ACCOUNT><NAME><![CDATA[<x>]]></NAME>"
                      "<USERID>a&amp;b&#65;</USERID><PASSWORD> 1 </PASSWORD></ACCOUNT>"
                      "</OTHER_ACCOUNTS></DOC>")
        << QByteArray(R"({"mail":[],"web":[],"other":[{"description":"a&b&#65;","name":"<x>",
                      "notes":"","pin":" 1 "}]})");
    QTest::newRow("empty DOC") << QByteArray("<DOC/>")
                               << QByteArray(R"({"mail":[],"other":[],"web":[]})");
}

void TestPasswordsCli::notAPasswordsDocument_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("list") << QStringLiteral("list") << QByteArray("just a note");
    QTest::newRow("export") << QStringLiteral("export") << QByteArray("just a note");
    // Markup that parses but is no passwords document is refused the same way.
    QTest::newRow("list, other markup") << QStringLiteral("list") << QByteArray("<p>a</p>");
    QTest::newRow("export, other markup")
        << QStringLiteral("export") << QByteArray("<html><body>x</body></html>");
}

void TestPasswordsCli::notAPasswordsDocument() {
    QFETCH(QString, command);
    QFETCH(QByteArray, text);
    // A text document renamed to .ksw decrypts with its password but holds no accounts.
    const QString path = Path("note.ksw");
    QCOMPARE(SaveTextFileUtf8(path, QStringLiteral("secret"), text), SaveResult::Saved);
    const QByteArray before = ReadAll(path);
    const CliResult run = RunCli({command, path});
    QCOMPARE(run.code, 6);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(run.err.contains(NotPasswordsDocumentMessage(path).toUtf8()), run.err);
    QCOMPARE(ReadAll(path), before);
}

void TestPasswordsCli::exportJsonGivesTheReaderRules() {
    QFETCH(QByteArray, markup);
    QFETCH(QByteArray, json);
    const QString path = Path("hand.ksw");
    QCOMPARE(SaveTextFileUtf8(path, QStringLiteral("secret"), markup), SaveResult::Saved);
    const CliResult run = RunCli({"export", path, "--format", "json"});
    QCOMPARE(run.code, 0);
    QCOMPARE(QJsonDocument::fromJson(run.out), QJsonDocument::fromJson(json));
    QVERIFY(run.err.contains("not encrypted"));
}

void TestPasswordsCli::exportCsvToOwnerOnlyFile() {
    WriteRaw(Path("csv.json"), R"({"mail":[{"name":"m","password":"p\"w","popServer":"pop"}]})");
    QCOMPARE(RunCli({"import", Path("csv.json"), Path("csv.ksw")}).code, 0);
    const CliResult run =
        RunCli({"export", Path("csv.ksw"), "--format", "csv", "-o", Path("out.csv")});
    QCOMPARE(run.code, 0);
    QVERIFY(run.out.isEmpty());
    QVERIFY(run.err.contains("not encrypted"));
    QCOMPARE(ReadAll(Path("out.csv")),
             QByteArray("\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\"\r\n"
                        "\"Email Accounts\",\"m\",\"\",\"p\"\"w\",\"\",\"POP Server: pop\"\r\n"));
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    QVERIFY((QFile::permissions(Path("out.csv")) & others) == 0);
    QVERIFY(QFile::permissions(Path("out.csv")) & QFileDevice::ReadOwner);
}

void TestPasswordsCli::importFromStandardInput() {
    const CliResult run = RunCli({"import", "-", Path("stdin.ksw")}, "secret",
                                 R"({"other":[{"name":"c","pin":"9"}]})");
    QCOMPARE(run.code, 0);
    AccountStore store;
    QByteArray text;
    QCOMPARE(LoadTextFileUtf8(Path("stdin.ksw"), QStringLiteral("secret"), text),
             LoadResult::Loaded);
    ReadPasswordsMarkup(text, store);
    QCOMPARE(store.other.size(), 1);
    QCOMPARE(store.other.at(0)->pin, QStringLiteral("9"));
}

void TestPasswordsCli::importReplacesOnlyWithForce() {
    WriteRaw(Path("force.json"), R"({"web":[{"name":"new"}]})");
    WriteRaw(Path("force.ksw"), "old contents");
    const CliResult refused = RunCli({"import", Path("force.json"), Path("force.ksw")});
    QCOMPARE(refused.code, 4);
    QVERIFY(refused.err.contains("--force"));
    QCOMPARE(ReadAll(Path("force.ksw")), QByteArray("old contents"));
    QCOMPARE(RunCli({"import", "--force", Path("force.json"), Path("force.ksw")}).code, 0);
    QCOMPARE(RunCli({"list", Path("force.ksw")}).out, QByteArray("web\tnew\n"));
}

void TestPasswordsCli::failures_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("message");

    QTest::newRow("malformed JSON")
        << QStringList{"import", "bad.json", "bad.ksw"} << 1 << QByteArray("line 2, column 13");
    QTest::newRow("JSON of another form") << QStringList{"import", "form.json", "bad.ksw"} << 1
                                          << QByteArray("web[0].name: must be a string");
    QTest::newRow("missing JSON") << QStringList{"import", "none.json", "bad.ksw"} << 2
                                  << QByteArray("none.json");
    QTest::newRow("unknown format") << QStringList{"export", "good.ksw", "--format", "xml"} << 1
                                    << QByteArray("unknown format");
    QTest::newRow("missing file") << QStringList{"list", "none.ksw"} << 2 << QByteArray("none.ksw");
    QTest::newRow("empty file") << QStringList{"export", "empty.ksw"} << 2
                                << QByteArray("is empty");
    QTest::newRow("wrong password")
        << QStringList{"list", "other.ksw"} << 3 << QByteArray("does not decrypt");
    QTest::newRow("too many arguments")
        << QStringList{"list", "a.ksw", "b.ksw"} << 1 << QByteArray("usage");
    // Each format's limit stops the read, before the document is held whole.
    QTest::newRow("CSV over its limit")
        << QStringList{"import", "big.csv", "bad.ksw", "--format", "csv"} << 2
        << QByteArray("too large");
    QTest::newRow("KeePass XML over its limit")
        << QStringList{"import", "big.xml", "bad.ksw", "--format", "keepass-xml"} << 2
        << QByteArray("too large");
    QTest::newRow("JSON over its limit")
        << QStringList{"import", "big.json", "bad.ksw"} << 2 << QByteArray("too large");
    QTest::newRow("endless input")
        << QStringList{"import", "/dev/zero", "bad.ksw", "--format", "csv"} << 2
        << QByteArray("too large");
}

void TestPasswordsCli::failures() {
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QByteArray, message);
    WriteRaw(Path("bad.json"), "{\"web\":[\n {\"name\": 1,}\n]}");
    WriteRaw(Path("form.json"), R"({"web":[{"name":1}]})");
    WriteRaw(Path("empty.ksw"), QByteArray());
    // One byte over each limit, without writing it: the files are sparse.
    QFile csv(Path("big.csv")), xml(Path("big.xml")), json(Path("big.json"));
    QVERIFY(csv.open(QIODevice::WriteOnly) && csv.resize(kMaxKeePassImportSize + 1));
    QVERIFY(xml.open(QIODevice::WriteOnly) && xml.resize(kMaxKeePassImportSize + 1));
    QVERIFY(json.open(QIODevice::WriteOnly) && json.resize(kMaxJsonImportSize + 1));
    QCOMPARE(SaveTextFileUtf8(Path("good.ksw"), QStringLiteral("secret"), "<DOC/>"),
             SaveResult::Saved);
    QCOMPARE(SaveTextFileUtf8(Path("other.ksw"), QStringLiteral("not the one"), "<DOC/>"),
             SaveResult::Saved);
    for (QString& arg : args) {
        if (arg.contains('.') && !arg.startsWith('/')) {
            arg = Path(arg);
        }
    }
    const CliResult run = RunCli(args);
    QCOMPARE(run.code, code);
    QVERIFY2(run.err.contains(message), run.err.constData());
    QVERIFY(run.out.isEmpty());
    QVERIFY(!QFile::exists(Path("bad.ksw")));
}
