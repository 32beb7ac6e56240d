#pragma once

// Account sets for the migration tests (every kind, awkward characters) and a field-by-field
// comparison. Shared by the unit tests and the tests against the real keepassxc-cli.

#include "AccountStore.h"

#include <QList>
#include <QString>
#include <QtTest>

struct AccountSet {
    QList<WebAccount> web;
    QList<MailAccount> mail;
    QList<OtherAccount> other;
};
Q_DECLARE_METATYPE(AccountSet)

inline void FillStore(const AccountSet& set, AccountStore& store) {
    for (const WebAccount& a : set.web) {
        store.web.append(a);
    }
    for (const MailAccount& a : set.mail) {
        store.mail.append(a);
    }
    for (const OtherAccount& a : set.other) {
        store.other.append(a);
    }
}

inline AccountSet SetOf(const AccountStore& store) {
    AccountSet set;
    store.web.enumerate([&](int, const WebAccount& a) { set.web.append(a); });
    store.mail.enumerate([&](int, const MailAccount& a) { set.mail.append(a); });
    store.other.enumerate([&](int, const OtherAccount& a) { set.other.append(a); });
    return set;
}

// QCOMPARE per field, so a failure names the account and the field. Check
// QTest::currentTestFailed() after it.
inline void CompareSets(const AccountSet& actual, const AccountSet& expected) {
    QCOMPARE(actual.web.size(), expected.web.size());
    QCOMPARE(actual.mail.size(), expected.mail.size());
    QCOMPARE(actual.other.size(), expected.other.size());
    for (qsizetype i = 0; i < expected.web.size(); ++i) {
        const WebAccount& a = actual.web.at(i);
        const WebAccount& e = expected.web.at(i);
        QCOMPARE(a.name, e.name);
        QCOMPARE(a.address, e.address);
        QCOMPARE(a.userId, e.userId);
        QCOMPARE(a.password, e.password);
        QCOMPARE(a.notes, e.notes);
    }
    for (qsizetype i = 0; i < expected.mail.size(); ++i) {
        const MailAccount& a = actual.mail.at(i);
        const MailAccount& e = expected.mail.at(i);
        QCOMPARE(a.name, e.name);
        QCOMPARE(a.address, e.address);
        QCOMPARE(a.webInterface, e.webInterface);
        QCOMPARE(a.smtpServer, e.smtpServer);
        QCOMPARE(a.popServer, e.popServer);
        QCOMPARE(a.userId, e.userId);
        QCOMPARE(a.password, e.password);
        QCOMPARE(a.notes, e.notes);
    }
    for (qsizetype i = 0; i < expected.other.size(); ++i) {
        const OtherAccount& a = actual.other.at(i);
        const OtherAccount& e = expected.other.at(i);
        QCOMPARE(a.name, e.name);
        QCOMPARE(a.description, e.description);
        QCOMPARE(a.pin, e.pin);
        QCOMPARE(a.notes, e.notes);
    }
}

// Named account sets.
inline QList<QPair<const char*, AccountSet>> AccountSets() {
    QList<QPair<const char*, AccountSet>> sets;
    sets.append(
        {"every kind",
         AccountSet{{{"Bank", "https://bank.example/login", "me", "s3cret", "branch 12"}},
                    {{"Post", "me@post.example", "https://post.example/mail", "smtp.post.example",
                      "pop.post.example", "me.post", "mailpw", "since 2009"}},
                    {{"Card", "Visa", "1234", "expires 12/29"}}}});
    sets.append({"empty fields and nameless accounts",
                 AccountSet{{{}, {"only a name"}}, {{}, {"m"}}, {{}, {"o"}}}});
    sets.append(
        {"line breaks",
         AccountSet{{{"web", "https://a.example", "u", "p\r\nw", "line 1\r\nline 2\r\n\r\n"},
                     {"edges", "", "", "\r\n", "\r\nstarts and ends with a break\r\n"},
                     {"bare", "", "", "a\nb\rc", "lf\nonly and a lone\rCR"}},
                    {{"mail", "a@b.example", "https://w", "smtp\r\nsecond", "pop\nlf", "u",
                      "pw\r\n", "n1\r\nn2"}},
                    {{"card", "Visa\r\ngold", "12\r\n34", "\r\n"}}}});
    sets.append(
        {"spaces and tabs", AccountSet{{{" w ", "  https://a.example ", "\tme\t", "  pw  ", "  "}},
                                       {{" m", " a@b ", " w ", " s ", " p ", " u ", " pw ", " n "}},
                                       {{"o ", " d ", " 1 ", " n"}}}});
    sets.append({"markup and CSV specials",
                 AccountSet{{{"<b>&amp;</b>", "https://a.example/?x=1&y=\"2\"", "a,b", "\"quoted\"",
                              "]]> &#13; <!-- --> <?pi?> ''"}},
                            {{"\"", "\"a\"@b", "\"w\"", "\"", "s,\"p\"", "\"\"", ",", "\"\"\"\""}},
                            {{"&lt;", "\"d\"", "'1'", "<![CDATA[x]]>"}}}});
    sets.append(
        {"beyond Latin",
         AccountSet{
             {{QStringLiteral("Почта 郵便 😀"), QStringLiteral("https://例え.テスト/パス"),
               QStringLiteral("użytkownik"), QStringLiteral("пароль🔑é"),
               QStringLiteral("שלום עולם\r\nمرحبا")}},
             {{QStringLiteral("Ελληνικά"), QStringLiteral("ä@ö.example"),
               QStringLiteral("https://ü"), QStringLiteral("smtp.ü"), QStringLiteral("pop.ß"),
               QStringLiteral("ñ"), QStringLiteral("ç"), QStringLiteral("e\u0301")}},
             {{QStringLiteral("カード"), QStringLiteral("描述"), QStringLiteral("١٢٣٤"),
               QStringLiteral("🙂")}}}});
    sets.append(
        {"notes that look like labelled lines",
         AccountSet{{{"web", "", "", "", "Mail Address: not a label on a web account"}},
                    {{"empty address", "", "", "", "", "", "", "Mail Address: from the notes"},
                     {"out of order", "a@b", "", "", "", "", "", "Mail Address: again"},
                     {"marker", "", "", "smtp", "", "", "", "Notes:\r\nwith the marker"},
                     {"marker only", "", "", "", "", "", "", "Notes:"},
                     {"quoted value", "\"x\"", "", "\"s", "", "", "", "POP Server: p"}},
                    {{"desc", "", "", "Description: d"},
                     {"label value", "Description: d", "", "Notes:\r\n"}}}});
    AccountSet many;
    for (int i = 0; i < 40; ++i) {
        many.web.append(
            WebAccount(QStringLiteral("web %1").arg(i), QStringLiteral("https://%1.example").arg(i),
                       QStringLiteral("user%1").arg(i), QStringLiteral("pw%1").arg(i), QString()));
        if (i % 4 == 0) {
            many.mail.append(
                MailAccount(QStringLiteral("mail %1").arg(i), QStringLiteral("m%1@x").arg(i)));
            many.other.append(
                OtherAccount(QStringLiteral("other %1").arg(i), QString(), QString::number(i)));
        }
    }
    sets.append({"many accounts in order", many});
    return sets;
}

// One row per account set, in the column "accounts".
inline void AddAccountSetRows() {
    for (const auto& [name, set] : AccountSets()) {
        QTest::newRow(name) << set;
    }
}
