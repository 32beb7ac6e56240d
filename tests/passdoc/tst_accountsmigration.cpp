#include "tst_accountsmigration.h"

#include "AccountsCsv.h"
#include "AccountsKeePassXml.h"
#include "MigrationSamples.h"

#include <QtTest>

namespace {

// A KeePass XML export around the given groups, as the password manager writes it.
QByteArray KeePassFile(const QByteArray& groups, const QByteArray& meta = {}) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<KeePassFile>\n"
           "<Meta><Generator>KeePassXC</Generator>" +
           meta + "</Meta>\n<Root>\n<Group><UUID>cm9vdA==</UUID><Name>Root</Name>\n" + groups +
           "</Group>\n<DeletedObjects/>\n</Root>\n</KeePassFile>\n";
}

QByteArray Entry(const QByteArray& title, const QByteArray& more = {}) {
    return "<Entry><UUID>x</UUID><String><Key>Title</Key><Value>" + title + "</Value></String>" +
           more + "</Entry>\n";
}

QByteArray Str(const QByteArray& key, const QByteArray& value) {
    return "<String><Key>" + key + "</Key><Value>" + value + "</Value></String>";
}

QByteArray Group(const QByteArray& name, const QByteArray& content,
                 const QByteArray& uuid = "Zw==") {
    return "<Group><UUID>" + uuid + "</UUID><Name>" + name + "</Name>\n" + content + "</Group>\n";
}

// An Entry element carrying count attributes.
QByteArray EntryWithAttributes(int count) {
    QByteArray attributes;
    for (int i = 0; i < count; ++i) {
        attributes += " a" + QByteArray::number(i) + "=\"\"";
    }
    return Entry("t").replace("<Entry>", "<Entry" + attributes + ">");
}

} // namespace

void TestAccountsMigration::xmlRoundTrip_data() {
    QTest::addColumn<AccountSet>("accounts");
    AddAccountSetRows();
}

void TestAccountsMigration::xmlRoundTrip() {
    QFETCH(AccountSet, accounts);
    AccountStore store;
    FillStore(accounts, store);
    QByteArray xml;
    QString error;
    QVERIFY2(AccountsToKeePassXml(store, xml, error), qPrintable(error));
    QVERIFY(!xml.contains('\r')); // every CR as a reference
    AccountStore back;
    QVERIFY2(AccountsFromKeePassXml(xml, back, error), qPrintable(error));
    CompareSets(SetOf(back), accounts);
    if (QTest::currentTestFailed()) {
        return;
    }
    // What the manager writes back holds the CRs bare: they are kept too.
    AccountStore bare;
    QVERIFY2(AccountsFromKeePassXml(QByteArray(xml).replace("&#13;", "\r"), bare, error),
             qPrintable(error));
    CompareSets(SetOf(bare), accounts);
}

void TestAccountsMigration::csvRoundTrip_data() {
    QTest::addColumn<AccountSet>("accounts");
    AddAccountSetRows();
}

void TestAccountsMigration::csvRoundTrip() {
    QFETCH(AccountSet, accounts);
    AccountStore store;
    FillStore(accounts, store);
    AccountStore back;
    QString error;
    QVERIFY2(AccountsFromCsv(AccountsToCsv(store), back, error), qPrintable(error));
    CompareSets(SetOf(back), accounts);
}

void TestAccountsMigration::xmlLayout() {
    AccountStore store;
    store.web.append({"w", "https://w", "u", "p", "n"});
    store.mail.append({"m", "a@b", "https://i", "s", "", "u", "p", "n"});
    store.other.append({"o", "d", "1234", "two\r\nlines"});
    QByteArray xml;
    QString error;
    QVERIFY(AccountsToKeePassXml(store, xml, error));
    const QString text = QString::fromUtf8(xml);
    // Group per list, in that order, inside one root group.
    const qsizetype web = text.indexOf("<Name>Web Accounts</Name>");
    const qsizetype mail = text.indexOf("<Name>Email Accounts</Name>");
    const qsizetype other = text.indexOf("<Name>Other Accounts</Name>");
    QVERIFY(web > 0 && web < mail && mail < other);
    QVERIFY(text.indexOf("<Root>") < text.indexOf("<Name>Keystow Editor</Name>"));
    // Custom fields under their names; password, PIN and values with a CR protected.
    for (const char* key :
         {"Mail Address", "Web Interface", "SMTP Server", "POP Server", "Description", "PIN"}) {
        QVERIFY2(text.contains(QStringLiteral("<Key>%1</Key>").arg(key)), key);
    }
    QVERIFY(text.contains("<Key>Password</Key>\n\t\t\t\t\t<Value ProtectInMemory=\"True\">p<"));
    QVERIFY(text.contains("<Key>PIN</Key>\n\t\t\t\t\t<Value ProtectInMemory=\"True\">1234<"));
    QVERIFY(text.contains("<Value ProtectInMemory=\"True\">Description: d&#13;\ntwo&#13;\nlines<"));
    QVERIFY(text.contains("<Key>URL</Key>\n\t\t\t\t\t<Value>https://i</Value>"));
    QVERIFY(text.contains("<Value>Mail Address: a@b&#13;\nSMTP Server: s&#13;\nn</Value>") ==
            false); // has CRs, so protected
    QVERIFY(text.contains(
        "<Value ProtectInMemory=\"True\">Mail Address: a@b&#13;\nSMTP Server: s&#13;\nn</Value>"));
}

void TestAccountsMigration::xmlExportRefusesControlCharacters() {
    AccountStore store;
    store.web.append({"ok"});
    store.web.append({"bad", "", "", QStringLiteral("a\u0001b")});
    QByteArray xml;
    QString error;
    QVERIFY(!AccountsToKeePassXml(store, xml, error));
    QCOMPARE(error, QStringLiteral("Web Accounts, account 2: the field Password holds the "
                                   "character U+0001, which XML cannot carry"));
    QVERIFY(!error.contains("bad"));
}

void TestAccountsMigration::xmlImport_data() {
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<AccountSet>("accounts");

    QTest::newRow("groups nested, any other group a web account")
        << KeePassFile(
               Group("Email Accounts", Entry("m", Str("UserName", "u") + Str("URL", "https://i")) +
                                           Group("Deeper", Entry("inner"))) +
               Group("Banking", Group("Other Accounts", Entry("o", Str("Password", "9")))) +
               Entry("top", Str("URL", "https://t")))
        << AccountSet{{{"inner"}, {"top", "https://t"}},
                      {{"m", "", "https://i", "", "", "u"}},
                      {{"o", "", "9"}}};
    QTest::newRow("recycle bin and history left out")
        << KeePassFile(
               Group("Web Accounts",
                     Entry("kept", Str("Password", "new") + "<History>" +
                                       Entry("kept", Str("Password", "old")) + "</History>")) +
                   Group("Recycle Bin", Entry("deleted") + Group("Sub", Entry("gone")), "Ymlu"),
               "<RecycleBinEnabled>True</RecycleBinEnabled>"
               "<RecycleBinUUID>Ymlu</RecycleBinUUID>")
        << AccountSet{{{"kept", "", "", "new"}}, {}, {}};
    QTest::newRow("fields without a place kept in the notes")
        << KeePassFile(
               Group("Web Accounts",
                     Entry("w", Str("Notes", "n") + Str("otp", "otpauth://x") + Str("Empty", ""))) +
               Group("Other Accounts", Entry("o", Str("UserName", "u") + Str("URL", "https://o") +
                                                      Str("Password", "p") + Str("PIN", "1"))))
        << AccountSet{{{"w", "", "", "", "n\r\notp: otpauth://x"}},
                      {},
                      {{"o", "", "1", "UserName: u\r\nURL: https://o\r\nPassword: p"}}};
    QTest::newRow("labelled lines read when no custom field says otherwise")
        << KeePassFile(Group("Email Accounts",
                             Entry("m", Str("Notes", "Mail Address: a@b&#13;\nPOP Server: p")) +
                                 Entry("edited", Str("SMTP Server", "new") +
                                                     Str("Notes", "SMTP Server: old&#13;\nn"))))
        << AccountSet{{},
                      {{"m", "a@b", "", "", "p"},
                       {"edited", "", "", "new", "", "", "", "SMTP Server: old\r\nn"}},
                      {}};
    QTest::newRow("bare CRs, entities, CDATA, comments")
        << KeePassFile(Group("Web Accounts",
                             "<!-- a > comment\r\n -->" +
                                 Entry("<![CDATA[c<d]]>", Str("Password", "a\r\nb&amp;&#x41;")) +
                                 Entry("t", Str("Notes", "x\r\ny\rz"))))
        << AccountSet{{{"c<d", "", "", "a\r\nb&A"}, {"t", "", "", "", "x\r\ny\rz"}}, {}, {}};
    QTest::newRow("CRs inside CDATA kept like those in text")
        << KeePassFile(Group("Web Accounts", Entry("t", Str("Notes", "<![CDATA[x\r\ny\rz]]>"))))
        << AccountSet{{{"t", "", "", "", "x\r\ny\rz"}}, {}, {}};
    QTest::newRow("64 attributes")
        << KeePassFile(Group("G", EntryWithAttributes(64))) << AccountSet{{{"t"}}, {}, {}};
    QTest::newRow("no meta, empty root")
        << QByteArray("<KeePassFile><Root/></KeePassFile>") << AccountSet{};
}

void TestAccountsMigration::xmlImport() {
    QFETCH(QByteArray, xml);
    QFETCH(AccountSet, accounts);
    AccountStore store;
    QString error;
    QVERIFY2(AccountsFromKeePassXml(xml, store, error), qPrintable(error));
    CompareSets(SetOf(store), accounts);
}

void TestAccountsMigration::xmlRefused_data() {
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("error");

    QTest::newRow("malformed") << QByteArray("<KeePassFile>\n<Root>\n  <Group></Root>")
                               << "line 3, column";
    QTest::newRow("not KeePass") << QByteArray("<DOC/>") << "its root element is <DOC>";
    QTest::newRow("empty") << QByteArray() << "line 1, column";
    QTest::newRow("internal entity never expanded")
        << QByteArray("<?xml version=\"1.0\"?>\n<!DOCTYPE KeePassFile [<!ENTITY e \"EXPANDED\">]>"
                      "<KeePassFile><Root><Group><Entry>" +
                      Str("Title", "&e;") + "</Entry></Group></Root></KeePassFile>")
        << "line 2, column 47: a document type declaration is not accepted";
    QTest::newRow("external entity")
        << QByteArray("<!DOCTYPE k [<!ENTITY f SYSTEM \"file:///etc/passwd\">]><k>&f;</k>")
        << "a document type declaration is not accepted";
    QTest::newRow("encrypted value")
        << KeePassFile(Group("G", Entry("t", "<String><Key>Password</Key>"
                                             "<Value Protected=\"True\">AAAA</Value></String>")))
        << "only a plain XML export can be read";
    QTest::newRow("element inside a value")
        << KeePassFile(Group("G", Entry("<b>bold</b>"))) << "<b> may not hold other elements";
    QTest::newRow("character the file cannot keep")
        << KeePassFile(Group("Other Accounts", Entry("o", Str("PIN", "&#xFFFE;")))) << "line";
    QTest::newRow("undeclared entity, its name kept out")
        << KeePassFile(Group("G", Entry("t", Str("Password", "pa&s3cr3t;word"))))
        << "line 7, column 114: an undeclared entity";
    QTest::newRow("65 attributes, before the reader sees them")
        << KeePassFile(Group("G", EntryWithAttributes(65)))
        << "line 7, column 1: an element with more than 64 attributes";
    QTest::newRow("bad UTF-8 where it stands") << KeePassFile(Group("G", Entry("ab\xff")))
                                               << "line 7, column 55: the document is not UTF-8";
    QTest::newRow("junk after the document") << QByteArray("<KeePassFile/><x>") << "line 1, column";
    QByteArray deep;
    for (int i = 0; i < 300; ++i) {
        deep += "<Group>";
    }
    QTest::newRow("groups nested too deeply")
        << QByteArray("<KeePassFile><Root>" + deep) << "groups are nested too deeply";
}

void TestAccountsMigration::xmlRefused() {
    QFETCH(QByteArray, xml);
    QFETCH(QString, error);
    AccountStore store;
    store.web.append({"kept"});
    QString message;
    QVERIFY(!AccountsFromKeePassXml(xml, store, message));
    QVERIFY2(message.contains(error), qPrintable(message));
    QVERIFY(!message.contains("EXPANDED"));
    QVERIFY(!message.contains("s3cr3t"));
    QCOMPARE(SetOf(store).web.size(), 1);
    QCOMPARE(store.mail.size() + store.other.size(), 0);
}

void TestAccountsMigration::csvImport_data() {
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<AccountSet>("accounts");

    QTest::newRow("the manager's export: LF rows, group paths, more columns")
        << QByteArray("\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"TOTP\","
                      "\"Icon\",\"Last Modified\",\"Created\"\n"
                      "\"Root/Web Accounts\",\"w\",\"u\",\"p\r\nq\",\"https://w\",\"n\",\"\",\"0\","
                      "\"2026-01-01T00:00:00Z\",\"2026-01-01T00:00:00Z\"\n"
                      "\"Root/Email Accounts\",\"m\",\"u\",\"p\",\"https://i\","
                      "\"Mail Address: a@b\r\nPOP Server: pop\",\"\",\"0\",\"\",\"\"\n"
                      "\"Root/Private/Other Accounts\",\"o\",\"\",\"12\",\"\","
                      "\"Description: d\",\"otpauth://t\",\"0\",\"\",\"\"\n"
                      "\"Root/Recycle Bin\",\"deleted\",\"\",\"\",\"\",\"\",\"\",\"0\",\"\",\"\"\n"
                      "\"Root/Recycle Bin/Sub\",\"gone\",\"\",\"\",\"\",\"\",\"\",\"0\",\"\",\"\"\n"
                      "\"Root\",\"top\",\"\",\"\",\"\",\"\",\"\",\"0\",\"\",\"\"\n")
        << AccountSet{{{"w", "https://w", "u", "p\r\nq", "n"}, {"top"}},
                      {{"m", "a@b", "https://i", "", "pop", "u", "p"}},
                      {{"o", "d", "12", "TOTP: otpauth://t"}}};
    QTest::newRow("columns in another order and case, unquoted fields, BOM")
        << QByteArray("\xEF\xBB\xBFnotes,PASSWORD,title,url,user name,group\r\n"
                      "n,p,t,https://t,u,Web Accounts\r\n"
                      "\"a \"\"b\"\"\r\nc\",,x,,,\r\n\r\n")
        << AccountSet{
               {{"t", "https://t", "u", "p", "n"}, {"x", "", "", "", "a \"b\"\r\nc"}}, {}, {}};
    QTest::newRow("title only") << QByteArray("Title\none\n\"\"\n")
                                << AccountSet{{{"one"}, {""}}, {}, {}};
    QTest::newRow("no last line break") << QByteArray("\"Title\",\"Notes\"\r\n\"t\",\"n\"")
                                        << AccountSet{{{"t", "", "", "", "n"}}, {}, {}};
}

void TestAccountsMigration::csvImport() {
    QFETCH(QByteArray, csv);
    QFETCH(AccountSet, accounts);
    AccountStore store;
    QString error;
    QVERIFY2(AccountsFromCsv(csv, store, error), qPrintable(error));
    CompareSets(SetOf(store), accounts);
}

void TestAccountsMigration::csvRefused_data() {
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("error");

    QTest::newRow("quoted field not closed") << QByteArray("Title,Notes\nt,\"open\nstill open\n")
                                             << "line 2, column 3: the quoted "
                                                "field is not closed";
    QTest::newRow("text after a closing quote")
        << QByteArray("Title\n\"a\"b\n") << "line 2, column 4: a quoted field must end";
    QTest::newRow("quote inside an unquoted field")
        << QByteArray("Title,Notes\r\nab\"c,d\r\n") << "line 2, column 3: a quote inside a field";
    QTest::newRow("error line counts quoted line breaks")
        << QByteArray("Title,Notes\nt,\"1\n2\r\n3\"\nu,v,w\n")
        << "line 5: the row has 3 fields, "
           "the header 2";
    QTest::newRow("too few fields") << QByteArray("Title,Notes\nt\n") << "line 2: the row has 1";
    QTest::newRow("no Title column")
        << QByteArray("Name,Password\nn,p\n") << "line 1: the header names no \"Title\" column";
    QTest::newRow("column twice") << QByteArray("Title,Notes,notes\n") << "appears twice";
    QTest::newRow("empty") << QByteArray() << "no header line";
    QTest::newRow("not UTF-8") << QByteArray("Title\n\xE9t\xE9\n") << "not UTF-8";
    QTest::newRow("control character") << QByteArray("Title,Notes\nt,\"a\x1b[0m\"\n")
                                       << "entry 1: the notes holds the character U+001B";
}

void TestAccountsMigration::csvRefused() {
    QFETCH(QByteArray, csv);
    QFETCH(QString, error);
    AccountStore store;
    store.other.append({"kept"});
    QString message;
    QVERIFY(!AccountsFromCsv(csv, store, message));
    QVERIFY2(message.contains(error), qPrintable(message));
    QCOMPARE(store.web.size() + store.mail.size(), 0);
    QCOMPARE(store.other.size(), 1);
}
