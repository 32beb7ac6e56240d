#include "tst_ViewActivity.h"

#include "BlankRootView.h"
#include "CActivityHost.h"
#include "CAddAccountPage.h"
#include "TickClock.h"

#include <QMouseEvent>
#include <QPushButton>

#include <functional>

using namespace views;

namespace {
quint32 g_now = 1000;

void MoveMouse(QWidget* widget) {
    const QPoint pos(widget->width() / 2, widget->height() / 2);
    QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

using Action = std::function<void(CKeystowDoc*)>;
} // namespace
Q_DECLARE_METATYPE(Action)

void TestViewActivity::cleanup() {
    TickClock::SetSource({});
    m_fx.Cleanup();
}

void TestViewActivity::actionsStampActivity_data() {
    QTest::addColumn<QString>("start"); // what is selected first: "", "web", "account"
    QTest::addColumn<Action>("action");
    QTest::newRow("mouse over the tree")
        << "" << Action([](CKeystowDoc* doc) { MoveMouse(Tree(doc)->viewport()); });
    QTest::newRow("tree selection")
        << "" << Action([](CKeystowDoc* doc) { Click(Tree(doc), Tree(doc)->OtherItem()); });
    QTest::newRow("right click") << "account" << Action([](CKeystowDoc* doc) {
        CLeftView* tree = Tree(doc);
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {},
                          tree->visualItemRect(tree->RootItem()).center());
        QVERIFY(tree->OpenContextMenu());
        tree->OpenContextMenu()->close();
    });
    QTest::newRow("mouse over a form") << "account" << Action([](CKeystowDoc* doc) {
        MoveMouse(static_cast<CPassFormView*>(ShownView(doc))->Surface());
    });
    QTest::newRow("typing in a field") << "account" << Action([](CKeystowDoc* doc) {
        QTest::keyClicks(Control<QLineEdit>(ShownView(doc), IDC_WEB_ADDRESS), "a");
    });
    QTest::newRow("Add More") << "account" << Action([](CKeystowDoc* doc) {
        QTest::mouseClick(Control<QPushButton>(ShownView(doc), IDC_WEB_ADD_MORE), Qt::LeftButton);
    });
    QTest::newRow("mouse over an add page") << "web" << Action([](CKeystowDoc* doc) {
        MoveMouse(static_cast<CPassFormView*>(ShownView(doc))->Surface());
    });
    QTest::newRow("typing a new name") << "web" << Action([](CKeystowDoc* doc) {
        QTest::keyClicks(qobject_cast<CAddAccountPage*>(ShownView(doc))->NameBox(), "n");
    });
    QTest::newRow("Cancel on an add page") << "web" << Action([](CKeystowDoc* doc) {
        QTest::mouseClick(qobject_cast<CAddAccountPage*>(ShownView(doc))->CancelButton(),
                          Qt::LeftButton);
    });
    QTest::newRow("Add Accounts page button") << "" << Action([](CKeystowDoc* doc) {
        QTest::mouseClick(Control<QPushButton>(ShownView(doc), IDC_BLANK_ADD_OTHER),
                          Qt::LeftButton);
    });
    QTest::newRow("mouse over the Add Accounts page") << "" << Action([](CKeystowDoc* doc) {
        MoveMouse(static_cast<CPassFormView*>(ShownView(doc))->Surface());
    });
}

void TestViewActivity::actionsStampActivity() {
    QFETCH(QString, start);
    QFETCH(Action, action);
    AccountStore store;
    store.web.append(WebAccount("site"));
    CKeystowDoc* doc = m_fx.Open(store);
    QVERIFY(doc);
    if (start == "web")
        Click(Tree(doc), Tree(doc)->WebItem());
    else if (start == "account")
        Click(Tree(doc), Tree(doc)->WebItem()->child(0));

    CActivityHost host;
    g_now = 1000;
    TickClock::SetSource([] { return g_now; });
    host.StampActivity();
    g_now = 250000;
    action(doc);
    QCOMPARE(host.m_lastActivity, quint32(250000));
}
