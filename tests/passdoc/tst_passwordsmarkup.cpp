#include "tst_passwordsmarkup.h"

#include "CXmlText.h"
#include "PasswordsFile.h"
#include "PasswordsMarkup.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

QByteArray Crlf(const QByteArray& lines) {
    return QByteArray(lines).replace("\n", "\r\n");
}

// One line per record in slot order: kind, then the fields joined by '|'.
QString Summary(const AccountStore& store) {
    QStringList lines;
    store.web.enumerate([&](int, const WebAccount& a) {
        lines << QStringList{"web", a.name, a.address, a.userId, a.password, a.notes}.join('|');
    });
    store.mail.enumerate([&](int, const MailAccount& a) {
        lines << QStringList{"mail",      a.name,   a.address,  a.webInterface, a.smtpServer,
                             a.popServer, a.userId, a.password, a.notes}
                     .join('|');
    });
    store.other.enumerate([&](int, const OtherAccount& a) {
        lines << QStringList{"other", a.name, a.description, a.pin, a.notes}.join('|');
    });
    return lines.join('\n');
}

QString Reload(const QByteArray& markup) {
    AccountStore store;
    ReadPasswordsMarkup(markup, store);
    return Summary(store);
}

const QByteArray kWebA = "<ACCOUNT><NAME>A</NAME><ADDRESS>B</ADDRESS><USERID>u</USERID>"
                         "<PASSWORD>p</PASSWORD><NOTES>n</NOTES></ACCOUNT>";

} // namespace

void TestPasswordsMarkup::writesTheLayout_data() {
    QTest::addColumn<bool>("withAccount");
    QTest::addColumn<QByteArray>("markup");

    QTest::newRow("empty document")
        << false
        << Crlf("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<DOC>\n<WEB_ACCOUNTS/>\n"
                "<MAIL_ACCOUNTS/>\n<OTHER_ACCOUNTS/>\n</DOC>\n");
    QTest::newRow("one web account")
        << true
        << Crlf("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<DOC>\n<WEB_ACCOUNTS>\n"
                "<ACCOUNT>\n<NAME>A</NAME>\n<ADDRESS>B</ADDRESS>\n<USERID/>\n<PASSWORD/>\n"
                "<NOTES/>\n</ACCOUNT>\n</WEB_ACCOUNTS>\n<MAIL_ACCOUNTS/>\n<OTHER_ACCOUNTS/>\n"
                "</DOC>\n");
}

void TestPasswordsMarkup::writesTheLayout() {
    QFETCH(bool, withAccount);
    QFETCH(QByteArray, markup);
    AccountStore store;
    if (withAccount) {
        store.web.append({QStringLiteral("A"), QStringLiteral("B")});
    }
    QCOMPARE(BuildPasswordsMarkup(store), markup);
}

void TestPasswordsMarkup::reads_data() {
    QTest::addColumn<QByteArray>("markup");
    QTest::addColumn<QString>("accounts");

    QTest::newRow("root not named DOC")
        << "<VAULT><WEB_ACCOUNTS>" + kWebA + "</WEB_ACCOUNTS></VAULT>"
        << "web|A|B|u|p|n";
    QTest::newRow("all kinds")
        << QByteArray("<DOC><WEB_ACCOUNTS>" + kWebA +
                      "</WEB_ACCOUNTS><MAIL_ACCOUNTS><ACCOUNT><NAME>m</NAME><ADDRESS>a@b</ADDRESS>"
                      "<WEBINTERFACE>w</WEBINTERFACE><USERID>u</USERID><PASSWORD>p</PASSWORD>"
                      "<SMTPSERVER>s</SMTPSERVER><POPSERVER>o</POPSERVER><NOTES>n</NOTES>"
                      "</ACCOUNT></MAIL_ACCOUNTS><OTHER_ACCOUNTS><ACCOUNT><NAME>card</NAME>"
                      "<USERID>1234</USERID><PASSWORD>99</PASSWORD><NOTES/></ACCOUNT>"
                      "</OTHER_ACCOUNTS></DOC>")
        << "web|A|B|u|p|n\nmail|m|a@b|w|s|o|u|p|n\nother|card|1234|99|";
    QTest::newRow("mail before web")
        << QByteArray("<DOC><MAIL_ACCOUNTS><ACCOUNT><NAME>M</NAME></ACCOUNT></MAIL_ACCOUNTS>"
                      "<WEB_ACCOUNTS><ACCOUNT><NAME>W</NAME></ACCOUNT></WEB_ACCOUNTS></DOC>")
        << "web|W||||\nmail|M|||||||";
    QTest::newRow("other before mail")
        << QByteArray("<DOC><OTHER_ACCOUNTS><ACCOUNT><NAME>O</NAME></ACCOUNT></OTHER_ACCOUNTS>"
                      "<MAIL_ACCOUNTS><ACCOUNT><NAME>M</NAME></ACCOUNT></MAIL_ACCOUNTS></DOC>")
        << "mail|M|||||||\nother|O|||";
    QTest::newRow("groups reversed, web group split around the others")
        << QByteArray("<DOC><WEB_ACCOUNTS><ACCOUNT><NAME>W1</NAME></ACCOUNT></WEB_ACCOUNTS>"
                      "<OTHER_ACCOUNTS><ACCOUNT><NAME>O</NAME></ACCOUNT></OTHER_ACCOUNTS>"
                      "<MAIL_ACCOUNTS><ACCOUNT><NAME>M</NAME></ACCOUNT></MAIL_ACCOUNTS>"
                      "<WEB_ACCOUNTS><ACCOUNT><NAME>W2</NAME></ACCOUNT></WEB_ACCOUNTS></DOC>")
        << "web|W1||||\nweb|W2||||\nmail|M|||||||\nother|O|||";
    QTest::newRow("fields in reverse order")
        << QByteArray("<DOC><MAIL_ACCOUNTS><ACCOUNT><NOTES>n</NOTES><POPSERVER>o</POPSERVER>"
                      "<SMTPSERVER>s</SMTPSERVER><PASSWORD>p</PASSWORD><USERID>u</USERID>"
                      "<WEBINTERFACE>w</WEBINTERFACE><ADDRESS>a</ADDRESS><NAME>m</NAME>"
                      "</ACCOUNT></MAIL_ACCOUNTS></DOC>")
        << "mail|m|a|w|s|o|u|p|n";
    QTest::newRow("first of a repeated field counts")
        << QByteArray("<DOC><WEB_ACCOUNTS><ACCOUNT><NAME>one</NAME><NAME>two</NAME>"
                      "</ACCOUNT></WEB_ACCOUNTS></DOC>")
        << "web|one||||";
    QTest::newRow("groups of one kind in a row")
        << QByteArray("<DOC><WEB_ACCOUNTS><ACCOUNT><NAME>1</NAME></ACCOUNT></WEB_ACCOUNTS>"
                      "<WEB_ACCOUNTS><ACCOUNT><NAME>2</NAME></ACCOUNT></WEB_ACCOUNTS></DOC>")
        << "web|1||||\nweb|2||||";
    QTest::newRow("other names skipped")
        << QByteArray("<DOC><X/><WEB_ACCOUNTS><junk>1</junk><ACCOUNTS/><ACCOUNT><EXTRA>e</EXTRA>"
                      "<NAME>A</NAME><NAMES>z</NAMES><ADDRESS>B</ADDRESS></ACCOUNT><Y/>"
                      "</WEB_ACCOUNTS></DOC>")
        << "web|A|B|||";
    QTest::newRow("missing field stays empty")
        << QByteArray("<DOC><WEB_ACCOUNTS><ACCOUNT><NAME>A</NAME><PASSWORD>p</PASSWORD>"
                      "</ACCOUNT></WEB_ACCOUNTS></DOC>")
        << "web|A|||p|";
    QTest::newRow("no fields at all")
        << QByteArray("<DOC><WEB_ACCOUNTS><ACCOUNT/><ACCOUNT>text</ACCOUNT></WEB_ACCOUNTS></DOC>")
        << "web|||||\nweb|||||";
    QTest::newRow("field out of order")
        << QByteArray("<DOC><WEB_ACCOUNTS><ACCOUNT><NAME>A</NAME><PASSWORD>p</PASSWORD>"
                      "<ADDRESS>b</ADDRESS></ACCOUNT></WEB_ACCOUNTS></DOC>")
        << "web|A|b||p|";
    QTest::newRow("nodes, entities and blanks")
        << Crlf("<?xml version=\"1.0\"?>\n<!DOCTYPE DOC [\n<!ENTITY e \"]>\">\n]>\n"
                "<!-- saved -->\n<DOC>\n  <WEB_ACCOUNTS>\n  <?pi?>\n  <ACCOUNT>\n"
                "    <NAME> A </NAME>\n    <!-- <ADDRESS>no</ADDRESS> -->\n"
                "    <ADDRESS><![CDATA[<b>&amp;]]></ADDRESS>\n"
                "    <USERID>&lt;u&gt; &#65; &nbsp;</USERID>\n    <PASSWORD>a&amp;lt;b</PASSWORD>\n"
                "    <NOTES>l1\nl2</NOTES>\n  </ACCOUNT>\n  </WEB_ACCOUNTS >\n</DOC>\n")
        << "web| A |<b>&amp;|<u> &#65; &nbsp;|a&lt;b|l1\r\nl2";
    QTest::newRow("not markup") << QByteArray("hello, world") << "";
    QTest::newRow("broken markup") << "<DOC><WEB_ACCOUNTS>" + kWebA + "</WEB_ACCOUNTS></DOX>"
                                   << "";
    QTest::newRow("second top-level element ignored")
        << "<DOC/><DOC><WEB_ACCOUNTS>" + kWebA + "</WEB_ACCOUNTS></DOC>"
        << "";
    QTest::newRow("empty text") << QByteArray() << "";
}

void TestPasswordsMarkup::reads() {
    QFETCH(QByteArray, markup);
    QFETCH(QString, accounts);
    QCOMPARE(Reload(markup), accounts);
}

namespace {
// The markup built one element at a time with CXmlText, as files have always been written: the
// writer must give exactly these bytes.
template <class T>
void AddGroup(CXmlText& xml, const char* group, const AccountList<T>& list,
              const std::vector<std::pair<const char*, QString T::*>>& fields) {
    xml.AddElement(group);
    xml.EnterElement();
    list.enumerate([&](int, const T& record) {
        xml.AddElement("ACCOUNT");
        xml.EnterElement();
        for (const auto& field : fields) {
            xml.AddElement(field.first, (record.*field.second).toUtf8());
        }
        xml.LeaveElement();
    });
    xml.LeaveElement();
}

QByteArray BuildElementByElement(const AccountStore& store) {
    CXmlText xml;
    xml.SetText(kPasswordsDeclaration);
    xml.AddElement("DOC");
    xml.EnterElement();
    AddGroup<WebAccount>(xml, "WEB_ACCOUNTS", store.web,
                         {{"NAME", &WebAccount::name},
                          {"ADDRESS", &WebAccount::address},
                          {"USERID", &WebAccount::userId},
                          {"PASSWORD", &WebAccount::password},
                          {"NOTES", &WebAccount::notes}});
    AddGroup<MailAccount>(xml, "MAIL_ACCOUNTS", store.mail,
                          {{"NAME", &MailAccount::name},
                           {"ADDRESS", &MailAccount::address},
                           {"WEBINTERFACE", &MailAccount::webInterface},
                           {"USERID", &MailAccount::userId},
                           {"PASSWORD", &MailAccount::password},
                           {"SMTPSERVER", &MailAccount::smtpServer},
                           {"POPSERVER", &MailAccount::popServer},
                           {"NOTES", &MailAccount::notes}});
    AddGroup<OtherAccount>(xml, "OTHER_ACCOUNTS", store.other,
                           {{"NAME", &OtherAccount::name},
                            {"USERID", &OtherAccount::description},
                            {"PASSWORD", &OtherAccount::pin},
                            {"NOTES", &OtherAccount::notes}});
    return xml.GetText();
}
} // namespace

void TestPasswordsMarkup::writerGivesTheBytesOfElementByElementBuilding_data() {
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 40; ++seed) {
        QTest::newRow(qPrintable(QString::number(seed))) << seed;
    }
}

void TestPasswordsMarkup::writerGivesTheBytesOfElementByElementBuilding() {
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    // Markup characters, line breaks, two- three- and four-byte characters, lone surrogates.
    static const QStringList kPieces = {"a",
                                        "<",
                                        "&",
                                        ">",
                                        "\"",
                                        "'",
                                        " ",
                                        "\r\n",
                                        "\t",
                                        "&amp;",
                                        "]]>",
                                        QString::fromUtf8("\xc3\xa9"),
                                        QString::fromUtf8("\xe2\x82\xac"),
                                        QString::fromUtf8("\xf0\x9f\x94\x91"),
                                        QString(QChar(0xD800)),
                                        QString(QChar(0xDC00)),
                                        QString(QChar(0x7F)),
                                        QString(QChar(0x80)),
                                        QString(QChar(0x7FF)),
                                        QString(QChar(0x800)),
                                        QString(300, QLatin1Char('z'))};
    auto value = [&]() {
        QString text;
        for (int i = static_cast<int>(random.bounded(6)); i > 0; --i) {
            text += kPieces[static_cast<int>(random.bounded(kPieces.size()))];
        }
        return text;
    };
    AccountStore store;
    for (int i = static_cast<int>(random.bounded(6)); i > 0; --i) {
        store.web.append({value(), value(), value(), value(), value()});
    }
    for (int i = static_cast<int>(random.bounded(6)); i > 0; --i) {
        store.mail.append({value(), value(), value(), value(), value(), value(), value(), value()});
    }
    for (int i = static_cast<int>(random.bounded(6)); i > 0; --i) {
        store.other.append({value(), value(), value(), value()});
    }
    store.web.remove(static_cast<int>(random.bounded(6)));
    QCOMPARE(BuildPasswordsMarkup(store), BuildElementByElement(store));
}

void TestPasswordsMarkup::deletedSlotsAreNotWritten() {
    AccountStore store;
    store.web.append({QStringLiteral("one")});
    store.web.append({QStringLiteral("two")});
    store.web.append({QStringLiteral("three")});
    store.web.remove(1);
    QCOMPARE(store.web.append({QStringLiteral("four")}), 3);
    store.mail.append({QStringLiteral("same")});
    store.mail.append({QStringLiteral("same")});
    store.other.append({QString()});

    AccountStore reloaded;
    ReadPasswordsMarkup(BuildPasswordsMarkup(store), reloaded);
    QCOMPARE(reloaded.web.size(), 3);
    QCOMPARE(reloaded.web.at(0)->name, QStringLiteral("one"));
    QCOMPARE(reloaded.web.at(1)->name, QStringLiteral("three"));
    QCOMPARE(reloaded.web.at(2)->name, QStringLiteral("four"));
    QCOMPARE(reloaded.mail.size(), 2);
    QCOMPARE(reloaded.other.size(), 1);
    QCOMPARE(Summary(reloaded), Summary(store));
}

void TestPasswordsMarkup::randomStoresRoundTrip_data() {
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 60; ++seed) {
        QTest::newRow(qPrintable(QString::number(seed))) << seed;
    }
}

void TestPasswordsMarkup::randomStoresRoundTrip() {
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    static const QStringList kPieces = {
        "",          "a",        "<",
        "&",         ">",        "\"",
        "'",         " ",        "\r\n",
        "\t",        "&amp;",    "]]>",
        "<![CDATA[", "<!--",     QString::fromUtf8("\xc3\xa9\xe2\x82\xac"),
        "NAME",      "</NOTES>", "\xe6\x97\xa5",
        "x y",       "&#65;"};
    auto value = [&]() {
        QString text;
        for (int i = static_cast<int>(random.bounded(5)); i > 0; --i) {
            text += kPieces[static_cast<int>(random.bounded(kPieces.size()))];
        }
        return text;
    };
    auto name = [&]() { return random.bounded(4) == 0 ? QStringLiteral("dup") : value(); };

    AccountStore store;
    for (int i = static_cast<int>(random.bounded(8)); i > 0; --i) {
        store.web.append({name(), value(), value(), value(), value()});
    }
    for (int i = static_cast<int>(random.bounded(8)); i > 0; --i) {
        store.mail.append({name(), value(), value(), value(), value(), value(), value(), value()});
    }
    for (int i = static_cast<int>(random.bounded(8)); i > 0; --i) {
        store.other.append({name(), value(), value(), value()});
    }
    for (int i = static_cast<int>(random.bounded(4)); i > 0; --i) {
        store.web.remove(static_cast<int>(random.bounded(8)));
        store.mail.remove(static_cast<int>(random.bounded(8)));
        store.other.remove(static_cast<int>(random.bounded(8)));
    }

    const QByteArray markup = BuildPasswordsMarkup(store);
    AccountStore reloaded;
    ReadPasswordsMarkup(markup, reloaded);
    QCOMPARE(Summary(reloaded), Summary(store));
    // Reloaded records are numbered densely.
    QCOMPARE(reloaded.web.size(), static_cast<int>(store.web.filledSlots().size()));
    QCOMPARE(reloaded.mail.size(), static_cast<int>(store.mail.filledSlots().size()));
    QCOMPARE(reloaded.other.size(), static_cast<int>(store.other.filledSlots().size()));
    // Writing what was read gives the same bytes again.
    QCOMPARE(BuildPasswordsMarkup(reloaded), markup);
    CXmlText xml;
    QVERIFY(xml.SetText(markup));

    // A standard parser reads the same values (it turns line breaks into LF, as XML says).
    QStringList expected;
    store.web.enumerate([&](int, const WebAccount& a) {
        expected << a.name << a.address << a.userId << a.password << a.notes;
    });
    store.mail.enumerate([&](int, const MailAccount& a) {
        expected << a.name << a.address << a.webInterface << a.userId << a.password << a.smtpServer
                 << a.popServer << a.notes;
    });
    store.other.enumerate([&](int, const OtherAccount& a) {
        expected << a.name << a.description << a.pin << a.notes;
    });
    for (QString& text : expected) {
        text.replace("\r\n", "\n");
    }
    QStringList values;
    QXmlStreamReader reader(QString::fromUtf8(markup));
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() != u"DOC" &&
            !reader.name().endsWith(u"ACCOUNTS") && reader.name() != u"ACCOUNT") {
            values << reader.readElementText();
        }
    }
    QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));
    QCOMPARE(values, expected);
}

void TestPasswordsMarkup::fileRoundTrip() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("vault.ksw"));
    AccountStore store;
    store.web.append({"bank", "https://b.example", "me", "p<&>w\"'", " a\r\nb "});
    store.mail.append({QString::fromUtf8("m\xc3\xa9l"), "me@x", "", "smtp", "pop", "", "", ""});
    store.other.append({"card", "4111", "1234", ""});
    QString reason;
    QCOMPARE(SavePasswordsFile(path, QStringLiteral("correct horse"), store, &reason),
             SaveResult::Saved);

    QByteArray text;
    QCOMPARE(LoadTextFileUtf8(path, QStringLiteral("correct horse"), text), LoadResult::Loaded);
    QCOMPARE(text, BuildPasswordsMarkup(store));
    QFile raw(path);
    QVERIFY(raw.open(QIODevice::ReadOnly));
    QVERIFY(!raw.readAll().contains("bank")); // nothing in the clear

    AccountStore reloaded;
    QCOMPARE(LoadPasswordsFile(path, QStringLiteral("correct horse"), reloaded, &reason),
             LoadResult::Loaded);
    QCOMPARE(Summary(reloaded), Summary(store));
}

void TestPasswordsMarkup::fileWithWrongPassword() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vault.ksw"));
    AccountStore store;
    store.web.append({QStringLiteral("bank")});
    QCOMPARE(SavePasswordsFile(path, QStringLiteral("right one"), store), SaveResult::Saved);
    AccountStore reloaded;
    QCOMPARE(LoadPasswordsFile(path, QStringLiteral("wrong one"), reloaded),
             LoadResult::NotDecrypted);
    QCOMPARE(reloaded.web.size(), 0);
    QCOMPARE(LoadPasswordsFile(dir.filePath(QStringLiteral("missing.ksw")),
                               QStringLiteral("right one"), reloaded),
             LoadResult::NotRead);
}

void TestPasswordsMarkup::fileWithTextThatIsNotMarkup() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.ksw"));
    QCOMPARE(SaveTextFileUtf8(path, QStringLiteral("pw pw"), "just a note"), SaveResult::Saved);
    AccountStore store;
    // Callers that know only the container's results still see no accounts...
    QCOMPARE(LoadPasswordsFile(path, QStringLiteral("pw pw"), store), LoadResult::Loaded);
    QCOMPARE(Summary(store), QString());
    // ...while an opener learns that the file holds no passwords document.
    QString reason;
    QCOMPARE(OpenPasswordsFile(path, QStringLiteral("pw pw"), store, &reason),
             PasswordsLoadResult::NotPasswords);
    QVERIFY(reason.contains(QStringLiteral("does not hold a passwords document")));
    QCOMPARE(Summary(store), QString());
}

void TestPasswordsMarkup::markupThatParsesIsAPasswordsDocument_data() {
    QTest::addColumn<QByteArray>("markup");
    QTest::addColumn<bool>("parses");
    QTest::newRow("empty DOC") << QByteArray("<DOC/>") << true;
    QTest::newRow("DOC with other elements only") << QByteArray("<DOC><X/></DOC>") << true;
    QTest::newRow("other root, a group inside")
        << QByteArray("<VAULT><X/><OTHER_ACCOUNTS/></VAULT>") << true;
    // Other markup would open as an empty document and be overwritten at the next save.
    QTest::newRow("other root, no group") << QByteArray("<VAULT><X/></VAULT>") << false;
    QTest::newRow("a text document's markup") << QByteArray("<p>a</p>") << false;
    QTest::newRow("DOC in small letters") << QByteArray("<doc><web_accounts/></doc>") << false;
    QTest::newRow("group deeper down")
        << QByteArray("<html><body><WEB_ACCOUNTS/></body></html>") << false;
    QTest::newRow("declaration only") << QByteArray(kPasswordsDeclaration) << false;
    QTest::newRow("plain words") << QByteArray("groceries: milk, eggs") << false;
    QTest::newRow("unclosed root") << QByteArray("<DOC><WEB_ACCOUNTS>") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestPasswordsMarkup::markupThatParsesIsAPasswordsDocument() {
    QFETCH(QByteArray, markup);
    QFETCH(bool, parses);
    AccountStore store;
    QCOMPARE(ReadPasswordsMarkup(markup, store), parses);
    QCOMPARE(Summary(store), QString());
}

void TestPasswordsMarkup::zeroCharacterIsRefused() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vault.ksw"));
    AccountStore store;
    store.web.append(
        {QStringLiteral("bank"), QString(), QString(), QStringLiteral("a") + QChar(0)});
    QString reason;
    QCOMPARE(SavePasswordsFile(path, QStringLiteral("pw pw"), store, &reason),
             SaveResult::NotWritten);
    QVERIFY(!reason.isEmpty());
    QVERIFY(!QFile::exists(path));
}
