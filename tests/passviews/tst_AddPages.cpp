#include "tst_AddPages.h"

#include "BlankRootView.h"
#include "CAddAccountPage.h"
#include "CMailAccView.h"
#include "COtherAccView.h"
#include "CWebAccView.h"

#include <QPushButton>

using namespace views;

void TestAddPages::addAccountOfEachKind_data() {
    QTest::addColumn<int>("buttonId"); // on the Add Accounts page
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("form");
    QTest::addColumn<bool>("byEnter");
    QTest::newRow("web") << int(IDC_BLANK_ADD_WEB) << "WebAccountsRootView"
                         << "CWebAccView" << false;
    QTest::newRow("email") << int(IDC_BLANK_ADD_EMAIL) << "EMailAccountsRootView"
                           << "CMailAccView" << false;
    QTest::newRow("other") << int(IDC_BLANK_ADD_OTHER) << "OtherAccountsRootView"
                           << "COtherAccView" << false;
    QTest::newRow("email by Enter") << int(IDC_BLANK_ADD_EMAIL) << "EMailAccountsRootView"
                                    << "CMailAccView" << true;
}

void TestAddPages::addAccountOfEachKind() {
    QFETCH(int, buttonId);
    QFETCH(QString, page);
    QFETCH(QString, form);
    QFETCH(bool, byEnter);
    AccountStore store;
    store.web.append(WebAccount("Card"));
    store.mail.append(MailAccount("Card"));
    store.other.append(OtherAccount("Card"));
    CKeystowDoc* doc = m_fx.Open(store);
    QVERIFY(doc);
    CLeftView* tree = Tree(doc);
    QVERIFY(qobject_cast<BlankRootView*>(ShownView(doc)));
    QTest::mouseClick(Control<QPushButton>(ShownView(doc), buttonId), Qt::LeftButton);
    auto* addPage = qobject_cast<CAddAccountPage*>(ShownView(doc));
    QVERIFY(addPage);
    QCOMPARE(addPage->metaObject()->className(), qPrintable(page));
    QTreeWidgetItem* group = tree->SelectedItem();
    QVERIFY(group == tree->WebItem() || group == tree->EmailItem() || group == tree->OtherItem());
    QVERIFY(!doc->IsModified());

    // Add is greyed until a name is typed, and again once the box is empty.
    QLineEdit* box = addPage->NameBox();
    QPushButton* add = addPage->AddAccountButton();
    QVERIFY(!add->isEnabled());
    QCOMPARE(box->maxLength(), CLeftView::kMaxNameLength);
    box->setFocus();
    QTest::keyClicks(box, "B");
    QVERIFY(add->isEnabled());
    QTest::keyClick(box, Qt::Key_Backspace);
    QVERIFY(!add->isEnabled());
    // Typing alone marks the document modified, as it always has.
    QVERIFY(doc->IsModified());
    QTest::keyClicks(box, "Bank");
    if (byEnter)
        QTest::keyClick(box, Qt::Key_Return);
    else
        QTest::mouseClick(add, Qt::LeftButton);

    // The account exists, is selected under its group, and its empty form shows.
    QCOMPARE(Labels(group), QStringList({"Bank", "Card"}));
    QTreeWidgetItem* item = tree->SelectedItem();
    QCOMPARE(item, group->child(0));
    QCOMPARE(CLeftView::SlotOf(item), 1);
    auto* shown = dynamic_cast<CAccountForm*>(ShownView(doc));
    QVERIFY(shown);
    QCOMPARE(ShownView(doc)->metaObject()->className(), qPrintable(form));
    QCOMPARE(shown->m_accountIndex, 1);
    const int nameId = group == tree->WebItem()     ? IDC_WEB_NAME
                       : group == tree->EmailItem() ? IDC_MAIL_NAME
                                                    : IDC_OTHER_NAME;
    QCOMPARE(Control<QLabel>(ShownView(doc), nameId)->text(), QString("Bank"));
    for (QLineEdit* field : ShownView(doc)->findChildren<QLineEdit*>())
        QCOMPARE(field->text(), QString());
    const QString stored = group == tree->WebItem()     ? doc->Accounts().web.at(1)->name
                           : group == tree->EmailItem() ? doc->Accounts().mail.at(1)->name
                                                        : doc->Accounts().other.at(1)->name;
    QCOMPARE(stored, QString("Bank"));
    QVERIFY(doc->IsModified());
    // The page is empty and ready for the next one.
    QCOMPARE(box->text(), QString());
    QVERIFY(!add->isEnabled());
}

void TestAddPages::cancelReturnsToTheRootAndMarksModified_data() {
    QTest::addColumn<QString>("typed");
    QTest::newRow("with a name typed") << "half";
    QTest::newRow("with the box empty") << "";
}

void TestAddPages::cancelReturnsToTheRootAndMarksModified() {
    QFETCH(QString, typed);
    AccountStore store;
    store.other.append(OtherAccount("x"));
    CKeystowDoc* doc = m_fx.Open(store);
    QVERIFY(doc);
    CLeftView* tree = Tree(doc);
    Click(tree, tree->OtherItem());
    auto* addPage = qobject_cast<CAddAccountPage*>(ShownView(doc));
    QVERIFY(addPage);
    QTest::keyClicks(addPage->NameBox(), typed);
    doc->SetModifiedFlag(false);
    QTest::mouseClick(addPage->CancelButton(), Qt::LeftButton);
    QCOMPARE(tree->SelectedItem(), tree->RootItem());
    QVERIFY(qobject_cast<BlankRootView*>(ShownView(doc)));
    QVERIFY(doc->IsModified());
    QCOMPARE(addPage->NameBox()->text(), QString());
    QCOMPARE(tree->OtherItem()->childCount(), 1);
}
