#include "tst_AccountForms.h"

#include "CCmdUI.h"
#include "CEditEx.h"
#include "CMailAccView.h"
#include "COtherAccView.h"
#include "CWebAccView.h"

#include <QClipboard>
#include <QMessageBox>
#include <QPushButton>

using namespace views;

namespace {
// Two accounts of each kind: "first" in slot 0 and "second" in slot 1.
void Fill(AccountStore& store) {
    store.web.append(WebAccount("first", "w-addr-1", "w-user-1", "w-pw-1", "w-notes-1"));
    store.web.append(WebAccount("second", "w-addr-2", "w-user-2", "w-pw-2", "w-notes-2"));
    store.mail.append(MailAccount("first", "m-addr-1", "m-web-1", "m-smtp-1", "m-pop-1", "m-user-1",
                                  "m-pw-1", "m-notes-1"));
    store.mail.append(MailAccount("second", "m-addr-2", "m-web-2", "m-smtp-2", "m-pop-2",
                                  "m-user-2", "m-pw-2", "m-notes-2"));
    store.other.append(OtherAccount("first", "o-desc-1", "o-pin-1", "o-notes-1"));
    store.other.append(OtherAccount("second", "o-desc-2", "o-pin-2", "o-notes-2"));
}

QTreeWidgetItem* Group(CLeftView* tree, int kind) {
    return kind == 0 ? tree->WebItem() : kind == 1 ? tree->EmailItem() : tree->OtherItem();
}

// Every text of the record in the slot, in field order.
QStringList Record(CKeystowDoc* doc, int kind, int slot) {
    AccountStore& s = doc->Accounts();
    if (kind == 0) {
        const WebAccount* r = s.web.at(slot);
        return {r->name, r->address, r->userId, r->password, r->notes};
    }
    if (kind == 1) {
        const MailAccount* r = s.mail.at(slot);
        return {r->name,      r->address, r->webInterface, r->smtpServer,
                r->popServer, r->userId,  r->password,     r->notes};
    }
    const OtherAccount* r = s.other.at(slot);
    return {r->name, r->description, r->pin, r->notes};
}

bool Enabled(CMDIFrameWnd* main, int id) {
    CCmdUI ui(id);
    main->UpdateCmdUI(&ui);
    return ui.m_enabled;
}
} // namespace

void TestAccountForms::typingChangesExactlyThatRecord_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("fieldId");
    QTest::addColumn<int>("recordField"); // index into Record()
    QTest::newRow("web address") << 0 << int(IDC_WEB_ADDRESS) << 1;
    QTest::newRow("web password") << 0 << int(IDC_WEB_PASSWORD) << 3;
    QTest::newRow("web notes") << 0 << int(IDC_WEB_NOTES) << 4;
    QTest::newRow("mail webmail") << 1 << int(IDC_MAIL_WEBMAIL) << 2;
    QTest::newRow("mail pop") << 1 << int(IDC_MAIL_POP) << 4;
    QTest::newRow("mail user") << 1 << int(IDC_MAIL_USERID) << 5;
    QTest::newRow("other pin") << 2 << int(IDC_OTHER_PIN) << 2;
    QTest::newRow("other notes") << 2 << int(IDC_OTHER_NOTES) << 3;
}

void TestAccountForms::typingChangesExactlyThatRecord() {
    QFETCH(int, kind);
    QFETCH(int, fieldId);
    QFETCH(int, recordField);
    AccountStore store;
    Fill(store);
    CKeystowDoc* doc = m_fx.Open(store);
    QVERIFY(doc);
    CLeftView* tree = Tree(doc);
    const QStringList before0 = Record(doc, kind, 0);
    const QStringList before1 = Record(doc, kind, 1);

    // Visiting both accounts changes nothing.
    Click(tree, Group(tree, kind)->child(0));
    Click(tree, Group(tree, kind)->child(1));
    QVERIFY(!doc->IsModified());
    QCOMPARE(Record(doc, kind, 0), before0);
    QCOMPARE(Record(doc, kind, 1), before1);

    QWidget* form = ShownView(doc);
    QWidget* field = static_cast<CPassFormView*>(form)->GetDlgItem(fieldId);
    QVERIFY(field);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_End,
                    qobject_cast<QLineEdit*>(field) ? Qt::NoModifier : Qt::ControlModifier);
    QTest::keyClicks(field, "X");
    QVERIFY(doc->IsModified());
    QStringList after1 = before1;
    after1[recordField] += "X";
    QCOMPARE(Record(doc, kind, 1), after1);
    QCOMPARE(Record(doc, kind, 0), before0);

    // Back to the first: its own values, and the document stays as it was.
    doc->SetModifiedFlag(false);
    Click(tree, Group(tree, kind)->child(0));
    QVERIFY(!doc->IsModified());
    auto* line = qobject_cast<QLineEdit*>(field);
    auto* plain = qobject_cast<QPlainTextEdit*>(field);
    QCOMPARE(line ? line->text() : plain->toPlainText(), before0[recordField]);
    // Undo has nothing of the other account to bring back.
    QVERIFY(line ? !line->isUndoAvailable() : !plain->document()->isUndoAvailable());
    // Clearing the field stores an empty field.
    if (line)
        line->selectAll();
    else
        plain->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QCOMPARE(Record(doc, kind, 0).at(recordField), QString());
    QCOMPARE(Record(doc, kind, 1), after1);
}

void TestAccountForms::notesKeepTheirLineBreaks() {
    AccountStore store;
    store.web.append(WebAccount("a", "", "", "", "line one\r\nline two"));
    CKeystowDoc* doc = m_fx.Open(store);
    QVERIFY(doc);
    Click(Tree(doc), Tree(doc)->WebItem()->child(0));
    auto* notes = Control<QPlainTextEdit>(ShownView(doc), IDC_WEB_NOTES);
    QCOMPARE(notes->toPlainText(), QString("line one\nline two"));
    notes->setFocus();
    QTest::keyClick(notes, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(notes, Qt::Key_Return);
    QTest::keyClicks(notes, "three");
    QCOMPARE(doc->Accounts().web.at(0)->notes, QString("line one\r\nline two\r\nthree"));
}

void TestAccountForms::saveButtonWritesTheDocument() {
    AccountStore store;
    Fill(store);
    CKeystowDoc* doc = m_fx.Open(store);
    QVERIFY(doc);
    CLeftView* tree = Tree(doc);
    Click(tree, tree->EmailItem()->child(1));
    QTest::keyClicks(Control<QLineEdit>(ShownView(doc), IDC_MAIL_POP), "+");
    QVERIFY(doc->IsModified());
    QTest::mouseClick(Control<QPushButton>(ShownView(doc), IDC_MAIL_SAVE), Qt::LeftButton);
    QTRY_VERIFY(!doc->IsModified());
    AccountStore saved;
    QCOMPARE(OpenPasswordsFile(doc->GetPathName(), "pw", saved), PasswordsLoadResult::Loaded);
    QCOMPARE(saved.mail.at(1)->popServer, QString("+m-pop-2"));
    QCOMPARE(saved.mail.at(0)->popServer, QString("m-pop-1"));
}

void TestAccountForms::deleteButtonAndModifiedFlag_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("left"); // accounts left in the group
    QTest::newRow("web yes") << 0 << true << true << 1;
    QTest::newRow("web no still modified") << 0 << false << true << 2;
    QTest::newRow("email yes") << 1 << true << true << 1;
    QTest::newRow("email no") << 1 << false << false << 2;
    QTest::newRow("other yes") << 2 << true << true << 1;
    QTest::newRow("other no") << 2 << false << false << 2;
}

void TestAccountForms::deleteButtonAndModifiedFlag() {
    QFETCH(int, kind);
    QFETCH(bool, yes);
    QFETCH(bool, modified);
    QFETCH(int, left);
    AccountStore store;
    Fill(store);
    CKeystowDoc* doc = m_fx.Open(store);
    QVERIFY(doc);
    CLeftView* tree = Tree(doc);
    Click(tree, Group(tree, kind)->child(0));
    const int deleteId = kind == 0   ? IDC_WEB_DELETE
                         : kind == 1 ? IDC_MAIL_DELETE
                                     : IDC_OTHER_DELETE;
    auto* button = Control<QPushButton>(ShownView(doc), deleteId);
    QVERIFY(button);
    DialogScript script;
    script.Then([yes](QWidget* d) {
        auto* box = qobject_cast<QMessageBox*>(d);
        QVERIFY(box);
        QVERIFY(box->text().contains("\"first\""));
        box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
    });
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_VERIFY(script.Finished());
    QCOMPARE(doc->IsModified(), modified);
    QCOMPARE(Group(tree, kind)->childCount(), left);
    QCOMPARE(Group(tree, kind)->child(0)->text(0), QString(yes ? "second" : "first"));
}

void TestAccountForms::editCommandEnabling_data() {
    QTest::addColumn<QString>("focus");     // "field", "button"
    QTest::addColumn<bool>("select");       // select part of the field's text
    QTest::addColumn<QString>("clipboard"); // empty: no text on the clipboard
    QTest::addColumn<bool>("copy");
    QTest::addColumn<bool>("paste");
    QTest::newRow("field, no selection, clipboard text")
        << "field" << false << "clip" << false << true;
    QTest::newRow("field, selection, empty clipboard") << "field" << true << "" << true << false;
    QTest::newRow("field, selection, clipboard text") << "field" << true << "clip" << true << true;
    QTest::newRow("button focused") << "button" << true << "clip" << false << false;
}

void TestAccountForms::editCommandEnabling() {
    QFETCH(QString, focus);
    QFETCH(bool, select);
    QFETCH(QString, clipboard);
    QFETCH(bool, copy);
    QFETCH(bool, paste);
    AccountStore store;
    Fill(store);
    CKeystowDoc* doc = m_fx.Open(store);
    QVERIFY(doc);
    Click(Tree(doc), Tree(doc)->WebItem()->child(0));
    QWidget* form = ShownView(doc);
    auto* field = Control<QLineEdit>(form, IDC_WEB_USERID);
    if (clipboard.isEmpty())
        QApplication::clipboard()->clear();
    else
        QApplication::clipboard()->setText(clipboard);
    field->setFocus();
    if (select)
        field->setSelection(0, 3);
    else
        field->deselect();
    if (focus == "button")
        Control<QPushButton>(form, IDC_WEB_SAVE)->setFocus();
    QTRY_VERIFY(QApplication::focusWidget() == (focus == "field"
                                                    ? static_cast<QWidget*>(field)
                                                    : Control<QPushButton>(form, IDC_WEB_SAVE)));
    CMDIFrameWnd* main = m_fx.Main();
    QCOMPARE(main->GetActiveView(), static_cast<CView*>(dynamic_cast<CAccountForm*>(form)));
    QCOMPARE(Enabled(main, ID_EDIT_COPY), copy);
    QCOMPARE(Enabled(main, ID_EDIT_CUT), copy);
    QCOMPARE(Enabled(main, ID_EDIT_PASTE), paste);
    QVERIFY(Enabled(main, ID_EDIT_SELECT_ALL));
    QVERIFY(Enabled(main, ID_EDIT_UNDO));
    if (focus == "field" && select) {
        // Cut through the command route changes the record like typing.
        QVERIFY(main->ExecuteCommand(ID_EDIT_CUT));
        QCOMPARE(doc->Accounts().web.at(0)->userId, QString("ser-1"));
        QVERIFY(doc->IsModified());
        QVERIFY(main->ExecuteCommand(ID_EDIT_UNDO));
        QCOMPARE(doc->Accounts().web.at(0)->userId, QString("w-user-1"));
        QVERIFY(main->ExecuteCommand(ID_EDIT_SELECT_ALL));
        QCOMPARE(field->selectedText(), QString("w-user-1"));
        QVERIFY(main->ExecuteCommand(ID_EDIT_CLEAR));
        QCOMPARE(doc->Accounts().web.at(0)->userId, QString());
    }
}

void TestAccountForms::openUrl_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("fieldId");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("opens"); // empty: the item is greyed and Ctrl+G does nothing
    const struct {
        const char* name;
        int kind, field;
        const char *text, *opens;
    } rows[] = {
        {"web password, dotted", 0, IDC_WEB_PASSWORD, "Summer.2024", ""},
        {"web password, address", 0, IDC_WEB_PASSWORD, "https://bank.example", ""},
        {"web user, host", 0, IDC_WEB_USERID, "www.example.org", ""},
        {"web address, words after", 0, IDC_WEB_ADDRESS, "https://a.example/x my bank",
         "https://a.example/x"},
        {"web address, leading blanks", 0, IDC_WEB_ADDRESS, "  www.example.org",
         "https://www.example.org"},
        {"web address, mailto", 0, IDC_WEB_ADDRESS, "mailto:me@example.org",
         "mailto:me@example.org"},
        {"web address, mail", 0, IDC_WEB_ADDRESS, "user@example.com", ""},
        {"web notes, address inside", 0, IDC_WEB_NOTES, "see http://x.org now", "http://x.org"},
        {"web notes, bare host", 0, IDC_WEB_NOTES, "www.example.org", ""},
        {"mail address, mail", 1, IDC_MAIL_ADDRESS, "user@example.com", ""},
        {"mail address, user part", 1, IDC_MAIL_ADDRESS, "http://user@example.com", ""},
        {"mail webmail, file", 1, IDC_MAIL_WEBMAIL, "file:///etc/passwd", ""},
        {"mail user", 1, IDC_MAIL_USERID, "http://mail.example", ""},
        {"mail pop", 1, IDC_MAIL_POP, " https://pop.example/x y", "https://pop.example/x"},
    };
    for (const auto& r : rows)
        QTest::newRow(r.name) << r.kind << r.field << QString(r.text) << QString(r.opens);
}

void TestAccountForms::openUrl() {
    QFETCH(int, kind);
    QFETCH(int, fieldId);
    QFETCH(QString, text);
    QFETCH(QString, opens);
    AccountStore store;
    Fill(store);
    CKeystowDoc* doc = m_fx.Open(store);
    QVERIFY(doc);
    CLeftView* tree = Tree(doc);
    Click(tree, Group(tree, kind)->child(0));
    QWidget* field = Control<QWidget>(ShownView(doc), fieldId);
    if (auto* line = qobject_cast<QLineEdit*>(field))
        line->setText(text);
    else
        qobject_cast<QPlainTextEdit*>(field)->setPlainText(text);
    field->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), field);
    const bool expected = !opens.isEmpty();

    // The context menu offers the item exactly when Ctrl+G opens something.
    auto* ex = field->findChild<CEditEx*>();
    QVERIFY(ex);
    std::unique_ptr<QMenu> menu(ex->CreateContextMenu(nullptr));
    const QAction* item = menu->actions().constLast();
    QCOMPARE(item->text(), QString("Go to the URL...\tCtrl+G"));
    QCOMPARE(item->isEnabled(), expected);
    QCOMPARE(Enabled(m_fx.Main(), ID_EDIT_GOTO_URL), expected);

    QCOMPARE(m_fx.Main()->ExecuteCommand(ID_EDIT_GOTO_URL), expected);
    QCOMPARE(m_fx.opened, expected ? QList<QUrl>({QUrl(opens)}) : QList<QUrl>());
}

void TestAccountForms::openUrlIsGreyedInOtherForm() {
    AccountStore store;
    store.other.append(OtherAccount("o", "https://example.org"));
    CKeystowDoc* doc = m_fx.Open(store);
    QVERIFY(doc);
    Click(Tree(doc), Tree(doc)->OtherItem()->child(0));
    auto* field = Control<QLineEdit>(ShownView(doc), IDC_OTHER_DESCRIPTION);
    field->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(field));
    QVERIFY(!Enabled(m_fx.Main(), ID_EDIT_GOTO_URL));
    QVERIFY(!m_fx.Main()->ExecuteCommand(ID_EDIT_GOTO_URL));
    QVERIFY(m_fx.opened.isEmpty());
}

void TestAccountForms::wideningThePaneWidensNameAndFields_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("web") << 0;
    QTest::newRow("email") << 1;
    QTest::newRow("other") << 2;
}

void TestAccountForms::wideningThePaneWidensNameAndFields() {
    QFETCH(int, kind);
    AccountStore store;
    Fill(store);
    CKeystowDoc* doc = m_fx.Open(store);
    QVERIFY(doc);
    Click(Tree(doc), Group(Tree(doc), kind)->child(0));
    auto* form = dynamic_cast<CPassFormView*>(ShownView(doc));
    QVERIFY(form);
    const QList<int> stretched =
        kind == 0 ? QList<int>{IDC_WEB_NAME, IDC_WEB_ADDRESS, IDC_WEB_USERID, IDC_WEB_PASSWORD,
                               IDC_WEB_NOTES}
        : kind == 1
            ? QList<int>{IDC_MAIL_NAME,     IDC_MAIL_ADDRESS, IDC_MAIL_WEBMAIL, IDC_MAIL_USERID,
                         IDC_MAIL_PASSWORD, IDC_MAIL_SMTP,    IDC_MAIL_POP,     IDC_MAIL_NOTES}
            : QList<int>{IDC_OTHER_NAME, IDC_OTHER_DESCRIPTION, IDC_OTHER_PIN, IDC_OTHER_NOTES};
    const int saveId = kind == 0 ? IDC_WEB_SAVE : kind == 1 ? IDC_MAIL_SAVE : IDC_OTHER_SAVE;
    const auto widths = [&] {
        QList<int> out;
        for (int id : stretched)
            out << form->GetDlgItem(id)->width();
        return out;
    };
    const int fieldDesign = form->DluX(260);

    // Narrower than the design: every control keeps its design width.
    m_fx.Main()->resize(form->DesignSize().width() / 2 + 200, 700);
    QTRY_VERIFY(form->width() < form->DesignSize().width());
    QCOMPARE(form->GetDlgItem(stretched[1])->width(), fieldDesign);
    // The rest of the form is reached by scrolling.
    QCOMPARE(form->Surface()->width(), form->DesignSize().width());
    const QList<int> narrow = widths();
    const QRect saveBefore = form->GetDlgItem(saveId)->geometry();

    // Wider: the name label and every field grow by the same amount; buttons stay.
    const int paneBefore = form->Surface()->width();
    m_fx.Main()->resize(form->DesignSize().width() + 600, 800);
    QTRY_VERIFY(form->Surface()->width() > form->DesignSize().width() + 100);
    const int growth = form->Surface()->width() - form->DesignSize().width();
    QVERIFY(paneBefore < form->Surface()->width());
    const QList<int> wide = widths();
    for (int i = 0; i < stretched.size(); ++i)
        QCOMPARE(wide[i] - narrow[i], growth);
    QCOMPARE(form->GetDlgItem(saveId)->geometry(), saveBefore);

    // And back again.
    m_fx.Main()->resize(form->DesignSize().width() / 2 + 200, 700);
    QTRY_COMPARE(widths(), narrow);
}
