#include "tst_accountsexport.h"

#include "AccountsCsv.h"
#include "AccountsJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

void Fill(AccountStore& store) {
    store.web.append({"bank", "https://b.example", "me", "p<&>\"'\\", " a\r\nb "});
    store.web.append({"gone"});
    store.web.remove(1);
    store.web.append({QString()});
    store.mail.append({QString::fromUtf8("m\xc3\xa9l \xe6\x97\xa5"), "me@x", "https://w", "smtp",
                       "pop", "u", "pw", "n"});
    store.other.append({"card", "4111", "1234", "line1\r\nline2"});
    store.other.append({"card", "", "", ""});
}

template <class T> QList<T> Records(const AccountList<T>& list) {
    QList<T> out;
    list.enumerate([&out](int, const T& record) { out.append(record); });
    return out;
}

} // namespace

void TestAccountsExport::jsonRoundTrip() {
    AccountStore store;
    Fill(store);
    AccountStore back;
    QString error;
    QVERIFY2(AccountsFromJson(AccountsToJson(store), back, error), qPrintable(error));
    QVERIFY(Records(back.web) == Records(store.web));
    QVERIFY(Records(back.mail) == Records(store.mail));
    QVERIFY(Records(back.other) == Records(store.other));
    QCOMPARE(back.web.size(), 2); // the deleted slot is not exported
}

void TestAccountsExport::jsonShape() {
    AccountStore store;
    Fill(store);
    const QJsonObject root = QJsonDocument::fromJson(AccountsToJson(store)).object();
    QCOMPARE(root.keys(), (QStringList{"mail", "other", "web"}));
    const QJsonObject web = root.value("web").toArray().at(0).toObject();
    QCOMPARE(web.keys(), (QStringList{"address", "name", "notes", "password", "userId"}));
    QCOMPARE(web.value("password").toString(), QStringLiteral("p<&>\"'\\"));
    const QJsonObject mail = root.value("mail").toArray().at(0).toObject();
    QCOMPARE(mail.keys(), (QStringList{"address", "name", "notes", "password", "popServer",
                                       "smtpServer", "userId", "webInterface"}));
    const QJsonObject other = root.value("other").toArray().at(1).toObject();
    QCOMPARE(other.keys(), (QStringList{"description", "name", "notes", "pin"}));
}

void TestAccountsExport::jsonRefused_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("error");

    QTest::newRow("malformed, second line")
        << QByteArray("{\"web\":[\n {\"name\": 1,}\n]}") << "line 2, column 13: ";
    QTest::newRow("malformed, characters not bytes")
        << QByteArray("{\"web\":[{\"name\":\"\xc3\xa9\xc3\xa9\" \"x\"}]}") << "line 1, column 22: ";
    QTest::newRow("empty input") << QByteArray() << "line 1, column 1: ";
    QTest::newRow("not an object") << QByteArray("[]") << "must be an object";
    QTest::newRow("unknown list") << QByteArray("{\"email\":[]}") << "unknown list \"email\"";
    QTest::newRow("list not a list") << QByteArray("{\"web\":{}}") << "web: must be a list";
    QTest::newRow("record not an object")
        << QByteArray("{\"mail\":[\"x\"]}") << "mail[0]: must be an object";
    QTest::newRow("number") << QByteArray("{\"other\":[{\"pin\":1234}]}")
                            << "other[0].pin: must be a string";
    QTest::newRow("unknown field") << QByteArray("{\"web\":[{\"name\":\"a\"},{\"url\":\"x\"}]}")
                                   << "web[1]: unknown field \"url\"";
    QTest::newRow("field of another kind")
        << QByteArray("{\"web\":[{\"pin\":\"1\"}]}") << "web[0]: unknown field \"pin\"";
    QTest::newRow("fault after a valid list")
        << QByteArray("{\"web\":[{\"name\":\"a\"}],\"mail\":[{\"name\":true}]}")
        << "mail[0].name: must be a string";
    QTest::newRow("zero character") << QByteArray("{\"web\":[{\"notes\":\"a\\u0000b\"}]}")
                                    << "web[0].notes: holds the character U+0000";
    QTest::newRow("control character") << QByteArray("{\"mail\":[{\"name\":\"\\u001b[0m\"}]}")
                                       << "mail[0].name: holds the character U+001B";
    QTest::newRow("lone surrogate") << QByteArray("{\"other\":[{\"pin\":\"\\ud800x\"}]}")
                                    << "other[0].pin: holds the character U+D800";
    QTest::newRow("noncharacter") << QByteArray("{\"web\":[{\"name\":\"\\uffff\"}]}")
                                  << "web[0].name: holds the character U+FFFF";
}

void TestAccountsExport::jsonRefused() {
    QFETCH(QByteArray, json);
    QFETCH(QString, error);
    AccountStore store;
    store.web.append({"kept"});
    QString message;
    QVERIFY(!AccountsFromJson(json, store, message));
    QVERIFY2(message.contains(error), qPrintable(message));
    QCOMPARE(store.web.size(), 1);
    QCOMPARE(store.mail.size(), 0);
    QCOMPARE(store.other.size(), 0);
}

void TestAccountsExport::jsonAccepted_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("web");
    QTest::addColumn<int>("mail");
    QTest::addColumn<int>("other");

    QTest::newRow("empty object") << QByteArray("{}") << 0 << 0 << 0;
    QTest::newRow("null lists") << QByteArray("{\"web\":null,\"mail\":[]}") << 0 << 0 << 0;
    QTest::newRow("tab, line breaks and a surrogate pair")
        << QByteArray("{\"web\":[{\"notes\":\"\\t\\r\\n\\ud83d\\ude00\"}]}") << 1 << 0 << 0;
    QTest::newRow("missing and null fields")
        << QByteArray("{\"web\":[{},{\"name\":null}],\"other\":[{\"name\":\"x\"}]}") << 2 << 0 << 1;
}

void TestAccountsExport::jsonAccepted() {
    QFETCH(QByteArray, json);
    QFETCH(int, web);
    QFETCH(int, mail);
    QFETCH(int, other);
    AccountStore store;
    QString error;
    QVERIFY2(AccountsFromJson(json, store, error), qPrintable(error));
    QCOMPARE(store.web.size(), web);
    QCOMPARE(store.mail.size(), mail);
    QCOMPARE(store.other.size(), other);
    store.web.enumerate([](int, const WebAccount& a) { QVERIFY(a.name.isEmpty()); });
}

void TestAccountsExport::csvLayout() {
    AccountStore store;
    store.web.append({"bank", "https://b", "me", "p\"w", "n1\r\nn2"});
    store.mail.append({"mail", "a@b", "https://w", "smtp", "", "u", "pw", "n"});
    store.other.append({"card", "4111", "1234", ""});
    store.other.append({"empty"});
    QCOMPARE(AccountsToCsv(store),
             QByteArray("\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\"\r\n"
                        "\"Web Accounts\",\"bank\",\"me\",\"p\"\"w\",\"https://b\",\"n1\r\nn2\"\r\n"
                        "\"Email Accounts\",\"mail\",\"u\",\"pw\",\"https://w\","
                        "\"Mail Address: a@b\r\nSMTP Server: smtp\r\nn\"\r\n"
                        "\"Other Accounts\",\"card\",\"\",\"1234\",\"\",\"Description: 4111\"\r\n"
                        "\"Other Accounts\",\"empty\",\"\",\"\",\"\",\"\"\r\n"));
}
