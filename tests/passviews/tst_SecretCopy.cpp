#include "tst_SecretCopy.h"

#include "CSecretClipboard.h"
#include "CWebAccView.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>

using namespace views;

namespace {
constexpr char kHint[] = "x-kde-passwordManagerHint";

// One account of each kind, each with its own password.
CKeystowDoc* OpenAccounts(ViewsFixture& fx) {
    AccountStore store;
    store.web.append(WebAccount("web", "addr", "user", "web-secret", "notes"));
    store.mail.append(
        MailAccount("mail", "addr", "web", "smtp", "pop", "user", "mail-secret", "notes"));
    store.other.append(OtherAccount("other", "desc", "pin-secret", "notes"));
    return fx.Open(store);
}

// Shows the account of the kind (0 web, 1 mail, 2 other) and gives the field the focus.
QLineEdit* FocusField(CKeystowDoc* doc, int kind, int fieldId) {
    CLeftView* tree = Tree(doc);
    QTreeWidgetItem* group = kind == 0   ? tree->WebItem()
                             : kind == 1 ? tree->EmailItem()
                                         : tree->OtherItem();
    Click(tree, group->child(0));
    auto* field = Control<QLineEdit>(ShownView(doc), fieldId);
    if (!field)
        return nullptr;
    field->setFocus();
    return field;
}

// Chooses the command in the field's own context menu.
bool ChooseFromContextMenu(QLineEdit* field, int commandId) {
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(2, 2),
                            field->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(field, &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu)
        return false;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator() && action->data().toInt() == commandId) {
            if (!action->isEnabled())
                return false;
            action->trigger();
            menu->close();
            return true;
        }
    }
    return false;
}

bool HoldsSecretCopy(const QString& text) {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && data->text() == text && data->data(QLatin1String(kHint)) == "secret";
}
} // namespace

void TestSecretCopy::init() {
    m_fx.Init();
    CSecretClipboard::Instance()->ClearNow();
    QApplication::clipboard()->clear();
    CSecretClipboard::Instance()->SetClearDelay(CSecretClipboard::kDefaultClearDelayMs);
}

void TestSecretCopy::cleanup() {
    CSecretClipboard::Instance()->SetClearDelay(CSecretClipboard::kDefaultClearDelayMs);
    m_fx.Cleanup();
}

void TestSecretCopy::copyIsMarkedSecret_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("fieldId");
    QTest::addColumn<QString>("how"); // "keys", "command", "menu"
    QTest::addColumn<bool>("cut");
    QTest::addColumn<QString>("text"); // the field's text
    QTest::addColumn<bool>("secret");
    QTest::newRow("web password, Ctrl+C")
        << 0 << int(IDC_WEB_PASSWORD) << "keys" << false << "web-secret" << true;
    QTest::newRow("web password, Copy command")
        << 0 << int(IDC_WEB_PASSWORD) << "command" << false << "web-secret" << true;
    QTest::newRow("web password, context menu")
        << 0 << int(IDC_WEB_PASSWORD) << "menu" << false << "web-secret" << true;
    QTest::newRow("web password, Ctrl+X")
        << 0 << int(IDC_WEB_PASSWORD) << "keys" << true << "web-secret" << true;
    QTest::newRow("mail password, Ctrl+C")
        << 1 << int(IDC_MAIL_PASSWORD) << "keys" << false << "mail-secret" << true;
    QTest::newRow("mail password, Cut command")
        << 1 << int(IDC_MAIL_PASSWORD) << "command" << true << "mail-secret" << true;
    QTest::newRow("PIN, context menu")
        << 2 << int(IDC_OTHER_PIN) << "menu" << false << "pin-secret" << true;
    QTest::newRow("PIN, Ctrl+C") << 2 << int(IDC_OTHER_PIN) << "keys" << false << "pin-secret"
                                 << true;
    // Other fields copy as always: nothing to hide, nothing cleared.
    QTest::newRow("user id, Ctrl+C")
        << 0 << int(IDC_WEB_USERID) << "keys" << false << "user" << false;
}

void TestSecretCopy::copyIsMarkedSecret() {
    QFETCH(int, kind);
    QFETCH(int, fieldId);
    QFETCH(QString, how);
    QFETCH(bool, cut);
    QFETCH(QString, text);
    QFETCH(bool, secret);
    CKeystowDoc* doc = OpenAccounts(m_fx);
    QVERIFY(doc);
    QLineEdit* field = FocusField(doc, kind, fieldId);
    QVERIFY(field);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(field));
    field->selectAll();

    const int command = cut ? ID_EDIT_CUT : ID_EDIT_COPY;
    if (how == "keys")
        QTest::keyClick(field, cut ? Qt::Key_X : Qt::Key_C, Qt::ControlModifier);
    else if (how == "command")
        QVERIFY(m_fx.Main()->ExecuteCommand(command));
    else
        QVERIFY(ChooseFromContextMenu(field, command));

    const QMimeData* data = QApplication::clipboard()->mimeData();
    QVERIFY(data);
    QCOMPARE(data->text(), text);
    QCOMPARE(data->data(QLatin1String(kHint)), secret ? QByteArray("secret") : QByteArray());
    QCOMPARE(CSecretClipboard::Instance()->IsClearPending(), secret);
    // A cut still takes the text out of the field, and the document knows.
    QCOMPARE(field->text(), cut ? QString() : text);
    QCOMPARE(doc->IsModified(), cut);
    if (cut) {
        QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(field->text(), text);
    }
}

void TestSecretCopy::clearedWhenTheDelayEnds() {
    CSecretClipboard* clipboard = CSecretClipboard::Instance();
    QCOMPARE(clipboard->ClearDelay(), 30000);
    CKeystowDoc* doc = OpenAccounts(m_fx);
    QVERIFY(doc);
    QLineEdit* field = FocusField(doc, 0, IDC_WEB_PASSWORD);
    QVERIFY(field);
    field->selectAll();
    QVERIFY(m_fx.Main()->ExecuteCommand(ID_EDIT_COPY));
    QVERIFY(HoldsSecretCopy("web-secret"));
    clipboard->ClearNow();
    QVERIFY(!clipboard->IsClearPending());
    QVERIFY(!QApplication::clipboard()->mimeData() ||
            QApplication::clipboard()->mimeData()->text().isEmpty());

    clipboard->SetClearDelay(20);
    QVERIFY(m_fx.Main()->ExecuteCommand(ID_EDIT_COPY));
    QTRY_VERIFY(!clipboard->IsClearPending());
    const QMimeData* data = QApplication::clipboard()->mimeData();
    QVERIFY(!data || data->text().isEmpty());
}

void TestSecretCopy::laterCopyIsLeftAlone() {
    CSecretClipboard* clipboard = CSecretClipboard::Instance();
    clipboard->SetClearDelay(20);
    CKeystowDoc* doc = OpenAccounts(m_fx);
    QVERIFY(doc);
    QLineEdit* field = FocusField(doc, 2, IDC_OTHER_PIN);
    QVERIFY(field);
    field->selectAll();
    QVERIFY(m_fx.Main()->ExecuteCommand(ID_EDIT_COPY));
    QVERIFY(HoldsSecretCopy("pin-secret"));
    // The person copies something else before the delay ends: that copy stays.
    QApplication::clipboard()->setText(QStringLiteral("pin-secret"));
    QTRY_VERIFY(!clipboard->IsClearPending());
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("pin-secret"));
    QVERIFY(!HoldsSecretCopy("pin-secret"));
}

void TestSecretCopy::copyAgainRestartsTheDelay() {
    CSecretClipboard* clipboard = CSecretClipboard::Instance();
    CKeystowDoc* doc = OpenAccounts(m_fx);
    QVERIFY(doc);
    QLineEdit* field = FocusField(doc, 1, IDC_MAIL_PASSWORD);
    QVERIFY(field);
    field->setSelection(0, 4);
    QVERIFY(m_fx.Main()->ExecuteCommand(ID_EDIT_COPY));
    QVERIFY(HoldsSecretCopy("mail"));
    field->selectAll();
    QVERIFY(m_fx.Main()->ExecuteCommand(ID_EDIT_COPY));
    // The second copy replaced the first; its own full delay is ahead of it.
    QVERIFY(HoldsSecretCopy("mail-secret"));
    QVERIFY(clipboard->IsClearPending());
    QVERIFY(clipboard->ClearRemaining() > 25000);
}
