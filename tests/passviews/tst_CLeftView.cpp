#include "tst_CLeftView.h"

#include "BlankRootView.h"
#include "CMailAccView.h"
#include "COtherAccView.h"
#include "CWebAccView.h"
#include "EMailAccountsRootView.h"
#include "WebAccountsRootView.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QRandomGenerator>
#include <QScopeGuard>

using namespace views;

namespace {
QStringList Split(const QString& s) {
    return s.isEmpty() ? QStringList() : s.split(',');
}
} // namespace

void TestCLeftView::fillsGroupsInOrderAndAccountsSorted_data() {
    QTest::addColumn<QString>("web"); // names in file order
    QTest::addColumn<QString>("mail");
    QTest::addColumn<QString>("other");
    QTest::addColumn<QString>("webTree"); // labels in tree order
    QTest::addColumn<QString>("mailTree");
    QTest::addColumn<QString>("otherTree");
    QTest::newRow("already sorted") << "a,b,c"
                                    << "x"
                                    << ""
                                    << "a,b,c"
                                    << "x"
                                    << "";
    QTest::newRow("reverse file order") << "zeta,Mid,alpha"
                                        << ""
                                        << "b,a"
                                        << "alpha,Mid,zeta"
                                        << ""
                                        << "a,b";
    QTest::newRow("case does not count") << "bank,Apple,apple2,BANK2"
                                         << "Yahoo,gmail"
                                         << ""
                                         << "Apple,apple2,bank,BANK2"
                                         << "gmail,Yahoo"
                                         << "";
    QTest::newRow("duplicates kept") << "same,other,same"
                                     << ""
                                     << ""
                                     << "other,same,same"
                                     << ""
                                     << "";
}

void TestCLeftView::fillsGroupsInOrderAndAccountsSorted() {
    QFETCH(QString, web);
    QFETCH(QString, mail);
    QFETCH(QString, other);
    QFETCH(QString, webTree);
    QFETCH(QString, mailTree);
    QFETCH(QString, otherTree);
    AccountStore store;
    for (const QString& n : Split(web))
        store.web.append(WebAccount(n));
    for (const QString& n : Split(mail))
        store.mail.append(MailAccount(n));
    for (const QString& n : Split(other))
        store.other.append(OtherAccount(n));
    CKeystowDoc* doc = m_fx.Open(store);
    QVERIFY(doc);
    CLeftView* tree = Tree(doc);
    QCOMPARE(tree->topLevelItemCount(), 1);
    QVERIFY(tree->RootItem()->text(0).endsWith("a.ksw"));
    QCOMPARE(Labels(tree->RootItem()),
             QStringList({"Web Accounts", "Email Accounts", "Other Accounts"}));
    QCOMPARE(Labels(tree->WebItem()), Split(webTree));
    QCOMPARE(Labels(tree->EmailItem()), Split(mailTree));
    QCOMPARE(Labels(tree->OtherItem()), Split(otherTree));
    // Each item leads to its own record, whatever its place.
    for (int i = 0; i < tree->WebItem()->childCount(); ++i) {
        QTreeWidgetItem* item = tree->WebItem()->child(i);
        QCOMPARE(doc->Accounts().web.at(CLeftView::SlotOf(item))->name, item->text(0));
    }
    QVERIFY(!tree->SelectedItem());
    QVERIFY(!doc->IsModified());
}

void TestCLeftView::newDocumentShowsUntitledAndEmptyGroups() {
    CKeystowDoc* doc = m_fx.NewDoc();
    QVERIFY(doc);
    CLeftView* tree = Tree(doc);
    QCOMPARE(tree->RootItem()->text(0), QString("Untitled"));
    QVERIFY(tree->RootItem()->isExpanded());
    for (QTreeWidgetItem* group : {tree->WebItem(), tree->EmailItem(), tree->OtherItem()}) {
        QCOMPARE(group->childCount(), 0);
        QCOMPARE(group->parent(), tree->RootItem());
    }
    QVERIFY(qobject_cast<BlankRootView*>(ShownView(doc)));
}

void TestCLeftView::manyAccountsFillQuickly() {
    CKeystowDoc* doc = m_fx.NewDoc();
    QVERIFY(doc);
    QRandomGenerator rng(42);
    const int count = 100000;
    for (int i = 0; i < count; ++i)
        doc->Accounts().web.append(WebAccount(QString::number(rng.generate(), 36)));
    CLeftView* tree = Tree(doc);
    QElapsedTimer timer;
    timer.start();
    tree->OnInitialUpdate();
    const qint64 fillMs = timer.elapsed();
    QCOMPARE(tree->WebItem()->childCount(), count);
    // Inserting one by one at the sorted place takes minutes at this size.
    QVERIFY2(fillMs < 5000, qPrintable(QString::number(fillMs)));
    for (int i = 1; i < count; i += 997) {
        QVERIFY(QString::compare(tree->WebItem()->child(i - 1)->text(0),
                                 tree->WebItem()->child(i)->text(0), Qt::CaseInsensitive) <= 0);
    }
    // Adding one more still lands at its sorted place.
    tree->AddWebAccount("0000");
    QCOMPARE(tree->WebItem()->child(0)->text(0), QString("0000"));
}

void TestCLeftView::sortsAsThePersonsLanguage_data() {
    QTest::addColumn<QString>("names"); // in file order, and in the order they are added
    QTest::addColumn<QString>("sorted");
    QTest::newRow("accented beside the base letter") << "emma,Émile,Ellen"
                                                     << "Ellen,Émile,emma";
    QTest::newRow("ring above, mixed case") << "beta,Alpha,ÅSA,alpha"
                                            << "Alpha,alpha,ÅSA,beta";
}

void TestCLeftView::sortsAsThePersonsLanguage() {
    QFETCH(QString, names);
    QFETCH(QString, sorted);
    const auto restore = qScopeGuard([before = QLocale()] { QLocale::setDefault(before); });
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    AccountStore store;
    for (const QString& n : Split(names))
        store.web.append(WebAccount(n));
    CKeystowDoc* opened = m_fx.Open(store);
    CKeystowDoc* added = m_fx.NewDoc();
    QVERIFY(opened && added);
    QCOMPARE(Labels(Tree(opened)->WebItem()), Split(sorted));
    for (const QString& n : Split(names))
        Tree(added)->AddWebAccount(n);
    QCOMPARE(Labels(Tree(added)->WebItem()), Split(sorted));
}

void TestCLeftView::addedAccountTakesItsSortedPlace_data() {
    QTest::addColumn<int>("kind"); // 0 web, 1 mail, 2 other
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("place");
    QTest::newRow("web first") << 0 << "AAA" << 0;
    QTest::newRow("web middle, other case") << 0 << "cAT" << 1;
    QTest::newRow("mail last") << 1 << "zz" << 3;
    QTest::newRow("other between") << 2 << "Dog" << 1;
    QTest::newRow("empty name first") << 2 << "" << 0;
}

void TestCLeftView::addedAccountTakesItsSortedPlace() {
    QFETCH(int, kind);
    QFETCH(QString, name);
    QFETCH(int, place);
    AccountStore store;
    for (const char* n : {"bear", "dove", "eel"}) {
        store.web.append(WebAccount(n));
        store.mail.append(MailAccount(n));
        store.other.append(OtherAccount(n));
    }
    CKeystowDoc* doc = m_fx.Open(store);
    QVERIFY(doc);
    CLeftView* tree = Tree(doc);
    QTreeWidgetItem* group = kind == 0   ? tree->WebItem()
                             : kind == 1 ? tree->EmailItem()
                                         : tree->OtherItem();
    if (kind == 0)
        tree->AddWebAccount(name);
    else if (kind == 1)
        tree->AddEmailAccount(name);
    else
        tree->AddOtherAccount(name);
    QCOMPARE(group->childCount(), 4);
    QCOMPARE(group->child(place)->text(0), name);
    QCOMPARE(tree->SelectedItem(), group->child(place));
    QCOMPARE(CLeftView::SlotOf(group->child(place)), 3);
    auto* form = dynamic_cast<CAccountForm*>(ShownView(doc));
    QVERIFY(form);
    QCOMPARE(form->m_accountIndex, 3);
}

void TestCLeftView::selectionShowsTheRightForm_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("fieldId");
    QTest::addColumn<QString>("fieldText");
    QTest::newRow("web") << 0 << "shop" << IDC_WEB_USERID << "shopper";
    QTest::newRow("mail") << 1 << "work" << IDC_MAIL_SMTP << "smtp.work.example";
    QTest::newRow("other") << 2 << "safe" << IDC_OTHER_PIN << "4711";
}

void TestCLeftView::selectionShowsTheRightForm() {
    QFETCH(int, kind);
    QFETCH(QString, label);
    QFETCH(int, fieldId);
    QFETCH(QString, fieldText);
    AccountStore store;
    store.web.append(WebAccount("bank", "bank.example", "banker", "pw1", "n"));
    store.web.append(WebAccount("shop", "shop.example", "shopper", "pw2", "n"));
    store.mail.append(MailAccount("work", "me@work", "", "smtp.work.example", "pop", "me", "pw3"));
    store.other.append(OtherAccount("card", "1234", "0000"));
    store.other.append(OtherAccount("safe", "kitchen", "4711"));
    CKeystowDoc* doc = m_fx.Open(store);
    QVERIFY(doc);
    CLeftView* tree = Tree(doc);
    QTreeWidgetItem* group = kind == 0   ? tree->WebItem()
                             : kind == 1 ? tree->EmailItem()
                                         : tree->OtherItem();
    QTreeWidgetItem* item = ChildNamed(group, label);
    QVERIFY(item);
    Click(tree, item);
    QCOMPARE(tree->SelectedItem(), item);
    QWidget* shown = ShownView(doc);
    const char* expected = kind == 0 ? "CWebAccView" : kind == 1 ? "CMailAccView" : "COtherAccView";
    QVERIFY(shown);
    QCOMPARE(shown->metaObject()->className(), expected);
    const int nameId = kind == 0 ? IDC_WEB_NAME : kind == 1 ? IDC_MAIL_NAME : IDC_OTHER_NAME;
    QCOMPARE(Control<QLabel>(shown, nameId)->text(), label);
    QCOMPARE(Control<QLineEdit>(shown, fieldId)->text(), fieldText);
    QVERIFY(!doc->IsModified());
    // Back to the root: the Add Accounts page.
    Click(tree, tree->RootItem());
    QVERIFY(qobject_cast<BlankRootView*>(ShownView(doc)));
}

void TestCLeftView::accountNamedLikeAGroupShowsItsOwnForm() {
    AccountStore store;
    store.mail.append(MailAccount("Web Accounts", "me@mail.example"));
    store.web.append(WebAccount("email accounts", "site.example"));
    CKeystowDoc* doc = m_fx.Open(store);
    QVERIFY(doc);
    CLeftView* tree = Tree(doc);
    Click(tree, tree->EmailItem()->child(0));
    auto* mail = qobject_cast<CMailAccView*>(ShownView(doc));
    QVERIFY(mail);
    QCOMPARE(Control<QLineEdit>(mail, IDC_MAIL_ADDRESS)->text(), QString("me@mail.example"));
    Click(tree, tree->WebItem()->child(0));
    QVERIFY(qobject_cast<CWebAccView*>(ShownView(doc)));
    // Such an account can be deleted and renamed like any other.
    QCOMPARE(tree->KindOf(tree->EmailItem()->child(0)), CLeftView::ItemKind::EmailAccount);
}

void TestCLeftView::deleteAsksFirst_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void TestCLeftView::deleteAsksFirst() {
    QFETCH(bool, yes);
    AccountStore store;
    for (const char* n : {"a", "b", "c"})
        store.web.append(WebAccount(n));
    CKeystowDoc* doc = m_fx.Open(store);
    QVERIFY(doc);
    CLeftView* tree = Tree(doc);
    Click(tree, tree->WebItem()->child(1));
    QString question;
    DialogScript script;
    script.Then([&](QWidget* d) {
        auto* box = qobject_cast<QMessageBox*>(d);
        QVERIFY(box);
        question = box->text();
        QCOMPARE(box->windowTitle(), AppCaption());
        box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
    });
    QVERIFY(m_fx.Main()->ExecuteCommand(ID_DELETE_ACCOUNT));
    QTRY_VERIFY(script.Finished());
    QCOMPARE(question, QString("Are you sure you want to delete \"b\" Web Account?"));
    if (yes) {
        QCOMPARE(Labels(tree->WebItem()), QStringList({"a", "c"}));
        QVERIFY(!doc->Accounts().web.at(1));
        QCOMPARE(doc->Accounts().web.at(2)->name, QString("c"));
        QVERIFY(doc->IsModified());
        // The next account is selected and shown.
        QCOMPARE(tree->SelectedItem()->text(0), QString("c"));
        auto* form = qobject_cast<CWebAccView*>(ShownView(doc));
        QVERIFY(form);
        QCOMPARE(form->m_accountIndex, 2);
        // A new account takes a new slot.
        tree->AddWebAccount("d");
        QCOMPARE(CLeftView::SlotOf(tree->SelectedItem()), 3);
    } else {
        QCOMPARE(Labels(tree->WebItem()), QStringList({"a", "b", "c"}));
        QVERIFY(doc->Accounts().web.at(1));
        QVERIFY(!doc->IsModified());
        QCOMPARE(tree->SelectedItem()->text(0), QString("b"));
    }
}

void TestCLeftView::renameInPlace_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("modified");
    QTest::newRow("Enter stores") << int(Qt::Key_Return) << "renamed" << true;
    QTest::newRow("Esc keeps") << int(Qt::Key_Escape) << "mail" << false;
}

void TestCLeftView::renameInPlace() {
    QFETCH(int, key);
    QFETCH(QString, name);
    QFETCH(bool, modified);
    AccountStore store;
    store.mail.append(MailAccount("mail", "me@x.example"));
    CKeystowDoc* doc = m_fx.Open(store);
    QVERIFY(doc);
    CLeftView* tree = Tree(doc);
    QTreeWidgetItem* item = tree->EmailItem()->child(0);
    Click(tree, item);
    QVERIFY(m_fx.Main()->ExecuteCommand(ID_RENAME_ACCOUNT));
    QLineEdit* editor = nullptr;
    QTRY_VERIFY((editor = tree->viewport()->findChild<QLineEdit*>()) && editor->isVisible());
    editor->selectAll();
    QTest::keyClicks(editor, "renamed");
    QTest::keyClick(editor, Qt::Key(key));
    QTRY_VERIFY(!tree->viewport()->findChild<QLineEdit*>() ||
                !tree->viewport()->findChild<QLineEdit*>()->isVisible());
    QCOMPARE(item->text(0), name);
    QCOMPARE(doc->Accounts().mail.at(0)->name, name);
    QCOMPARE(doc->IsModified(), modified);
    auto* form = qobject_cast<CMailAccView*>(ShownView(doc));
    QVERIFY(form);
    QCOMPARE(Control<QLabel>(form, IDC_MAIL_NAME)->text(), name);
}

void TestCLeftView::renameKeepsPlaceAndLimitsLength() {
    AccountStore store;
    for (const char* n : {"a", "b", "c"})
        store.other.append(OtherAccount(n));
    CKeystowDoc* doc = m_fx.Open(store);
    QVERIFY(doc);
    CLeftView* tree = Tree(doc);
    QTreeWidgetItem* item = tree->OtherItem()->child(0);
    Click(tree, item);
    tree->RenameSelectedAccount();
    QLineEdit* editor = nullptr;
    QTRY_VERIFY((editor = tree->viewport()->findChild<QLineEdit*>()) && editor->isVisible());
    editor->selectAll();
    QTest::keyClicks(editor, QString(130, QChar('z')));
    QTest::keyClick(editor, Qt::Key_Return);
    const QString expected(CLeftView::kMaxNameLength, QChar('z'));
    QTRY_COMPARE(doc->Accounts().other.at(0)->name, expected);
    // Still first: a rename does not sort.
    QCOMPARE(tree->OtherItem()->child(0), item);
    QCOMPARE(item->text(0), expected);
}

void TestCLeftView::renameOfALongName_data() {
    QTest::addColumn<bool>("erase"); // the last letter
    QTest::addColumn<int>("length"); // of the name afterwards, which is also whether it changed
    QTest::newRow("committed unchanged") << false << 200;
    QTest::newRow("changed, then cut") << true << int(CLeftView::kMaxNameLength);
}

void TestCLeftView::renameOfALongName() {
    QFETCH(bool, erase);
    QFETCH(int, length);
    // Files written by other programs may hold names longer than the rename box takes.
    const QString name = QString(199, QChar('n')) + QChar('x');
    AccountStore store;
    store.web.append(WebAccount(name));
    CKeystowDoc* doc = m_fx.Open(store);
    QVERIFY(doc);
    CLeftView* tree = Tree(doc);
    Click(tree, tree->WebItem()->child(0));
    tree->RenameSelectedAccount();
    QLineEdit* editor = nullptr;
    QTRY_VERIFY((editor = tree->viewport()->findChild<QLineEdit*>()) && editor->isVisible());
    QCOMPARE(editor->text(), name);
    editor->end(false);
    if (erase)
        editor->backspace();
    // Enter commits and closes the editor a moment later.
    QPointer<QLineEdit> open(editor);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!open || !open->isVisible());
    const QString stored = doc->Accounts().web.at(0)->name;
    QCOMPARE(stored, name.left(length));
    QCOMPARE(tree->WebItem()->child(0)->text(0), stored);
    QCOMPARE(doc->IsModified(), erase);
}

void TestCLeftView::rootAndGroupsAreNotEditable() {
    AccountStore store;
    store.web.append(WebAccount("a"));
    CKeystowDoc* doc = m_fx.Open(store);
    QVERIFY(doc);
    CLeftView* tree = Tree(doc);
    for (QTreeWidgetItem* item :
         {tree->RootItem(), tree->WebItem(), tree->EmailItem(), tree->OtherItem()}) {
        const QString before = item->text(0);
        Click(tree, item);
        QTest::keyClick(tree, Qt::Key_F2);
        m_fx.Main()->ExecuteCommand(ID_RENAME_ACCOUNT);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {},
                           tree->visualItemRect(item).center());
        QVERIFY(!tree->viewport()->findChild<QLineEdit*>());
        QCOMPARE(item->text(0), before);
    }
    // The groups still work by themselves after all that.
    Click(tree, tree->WebItem());
    QVERIFY(qobject_cast<WebAccountsRootView*>(ShownView(doc)));
    QVERIFY(!doc->IsModified());
}

void TestCLeftView::rightClickKeepsSelectionAndMenuActsOnIt_data() {
    QTest::addColumn<QString>("selected"); // "", "root", "web", or an account label
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("deleteEnabled");
    QTest::newRow("account: delete") << "one" << int(ID_DELETE_ACCOUNT) << true;
    QTest::newRow("account: add email") << "one" << int(ID_ADD_EMAIL_ACCOUNT) << true;
    QTest::newRow("group: delete greyed") << "web" << int(ID_DELETE_ACCOUNT_OFF) << false;
    QTest::newRow("root: delete greyed") << "root" << int(ID_DELETE_ACCOUNT_OFF) << false;
    QTest::newRow("nothing selected") << "" << int(ID_ADD_OTHER_ACCOUNT) << false;
}

void TestCLeftView::rightClickKeepsSelectionAndMenuActsOnIt() {
    QFETCH(QString, selected);
    QFETCH(int, command);
    QFETCH(bool, deleteEnabled);
    AccountStore store;
    store.web.append(WebAccount("one"));
    store.web.append(WebAccount("two"));
    CKeystowDoc* doc = m_fx.Open(store);
    QVERIFY(doc);
    CLeftView* tree = Tree(doc);
    QTreeWidgetItem* sel = selected.isEmpty()   ? nullptr
                           : selected == "root" ? tree->RootItem()
                           : selected == "web"  ? tree->WebItem()
                                                : ChildNamed(tree->WebItem(), selected);
    if (sel)
        Click(tree, sel);
    // Focus elsewhere first: the right click must make the tree the target of the commands.
    QWidget* other = ShownView(doc);
    other->setFocus();
    QTreeWidgetItem* under = ChildNamed(tree->WebItem(), "two");
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, tree->visualItemRect(under).center());
    QMenu* menu = nullptr;
    QTRY_VERIFY((menu = tree->OpenContextMenu()) && menu->isVisible());
    QCOMPARE(tree->SelectedItem(), sel);
    QCOMPARE(m_fx.Main()->GetActiveView(), static_cast<CView*>(tree));
    QVERIFY(MenuAction(menu, ID_ADD_WEB_ACCOUNT)->isEnabled());
    if (!sel) {
        QCOMPARE(menu->actions().size(), 4);
        QVERIFY(menu->actions().last()->isSeparator());
    } else {
        QAction* del = MenuAction(menu, deleteEnabled ? ID_DELETE_ACCOUNT : ID_DELETE_ACCOUNT_OFF);
        QAction* ren = MenuAction(menu, deleteEnabled ? ID_RENAME_ACCOUNT : ID_RENAME_ACCOUNT_OFF);
        QVERIFY(del && ren);
        QCOMPARE(del->isEnabled(), deleteEnabled);
        QCOMPARE(ren->isEnabled(), deleteEnabled);
    }
    // Every item carries its command's picture; the prompts are the commands' own.
    for (QAction* item : menu->actions())
        QVERIFY(item->isSeparator() || !item->icon().isNull());
    QCOMPARE(MenuAction(menu, ID_ADD_OTHER_ACCOUNT)->statusTip(), QString("Add Other Account..."));
    QAction* action = MenuAction(menu, command);
    QVERIFY(action);
    DialogScript script;
    QString question;
    if (command == ID_DELETE_ACCOUNT) {
        script.Then([&question](QWidget* d) {
            auto* box = qobject_cast<QMessageBox*>(d);
            QVERIFY(box);
            question = box->text();
            box->button(QMessageBox::No)->click();
        });
    }
    if (action->isEnabled()) {
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    } else {
        menu->close();
    }
    QTRY_VERIFY(script.Finished());
    switch (command) {
    case ID_DELETE_ACCOUNT:
        // The selected account is meant, not the one under the mouse.
        QCOMPARE(question, QString("Are you sure you want to delete \"one\" Web Account?"));
        break;
    case ID_ADD_EMAIL_ACCOUNT:
        QCOMPARE(tree->SelectedItem(), tree->EmailItem());
        QVERIFY(qobject_cast<EMailAccountsRootView*>(ShownView(doc)));
        break;
    case ID_ADD_OTHER_ACCOUNT:
        QCOMPARE(tree->SelectedItem(), tree->OtherItem());
        break;
    default:
        QCOMPARE(tree->SelectedItem(), sel);
        break;
    }
}
