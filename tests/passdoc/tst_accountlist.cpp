#include "tst_accountlist.h"

#include "AccountList.h"
#include "AccountRecords.h"

#include <QtTest>

#include <vector>

void TestAccountList::slotsAreNeverReused() {
    AccountList<WebAccount> list;
    QCOMPARE(list.append({QStringLiteral("a")}), 0);
    QCOMPARE(list.append({QStringLiteral("b")}), 1);
    QCOMPARE(list.append({QStringLiteral("c")}), 2);
    QVERIFY(list.remove(1));
    QCOMPARE(list.append({QStringLiteral("d")}), 3);
    QCOMPARE(list.size(), 4);
    QVERIFY(list.at(1) == nullptr);
    QCOMPARE(list.filledSlots(), (std::vector<int>{0, 2, 3}));

    QStringList names;
    std::vector<int> seen;
    list.enumerate([&](int slot, const WebAccount& account) {
        seen.push_back(slot);
        names << account.name;
    });
    QCOMPARE(seen, (std::vector<int>{0, 2, 3}));
    QCOMPARE(names, (QStringList{"a", "c", "d"}));
    QVERIFY(!list.remove(1)); // already empty
    QCOMPARE(list.size(), 4);
}

void TestAccountList::outOfRangeSlots_data() {
    QTest::addColumn<int>("slot");
    QTest::newRow("negative") << -1;
    QTest::newRow("one past the end") << 2;
    QTest::newRow("far") << 1000;
}

void TestAccountList::outOfRangeSlots() {
    QFETCH(int, slot);
    AccountList<OtherAccount> list;
    list.append({QStringLiteral("x")});
    list.append({QStringLiteral("y")});
    QVERIFY(list.at(slot) == nullptr);
    QVERIFY(!list.remove(slot));
    QCOMPARE(list.size(), 2);
}

void TestAccountList::recordsStayInPlace() {
    AccountList<MailAccount> list;
    list.append({QStringLiteral("first")});
    const MailAccount* first = list.at(0);
    for (int i = 0; i < 1000; ++i) {
        list.append({QString::number(i)});
    }
    QCOMPARE(list.at(0), first);
    QCOMPARE(first->name, QStringLiteral("first"));
}

void TestAccountList::editInPlace() {
    AccountList<WebAccount> list;
    const int slot = list.append({QStringLiteral("bank")});
    list.at(slot)->password = QStringLiteral("s3cret");
    int visits = 0;
    list.enumerate([&](int, WebAccount& account) {
        account.notes = QStringLiteral("n");
        ++visits;
    });
    QCOMPARE(visits, 1);
    const WebAccount expected{"bank", "", "", "s3cret", "n"};
    QCOMPARE(*list.at(slot), expected);
}
