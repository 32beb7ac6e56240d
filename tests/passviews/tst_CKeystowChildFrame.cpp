#include "tst_CKeystowChildFrame.h"

#include "BlankRootView.h"
#include "CAccountForm.h"
#include "CDocManager.h"
#include "CKeystowChildFrame.h"
#include "CKeystowDoc.h"
#include "CLeftView.h"
#include "CMDIChildWnd.h"
#include "CMDIFrameWnd.h"
#include "CMailAccView.h"
#include "CMultiDocTemplate.h"
#include "COtherAccView.h"
#include "CViewSwitchSplitter.h"
#include "CWebAccView.h"
#include "CWinApp.h"
#include "EMailAccountsRootView.h"
#include "OtherAccountsRootView.h"
#include "PasswordsDocType.h"
#include "WebAccountsRootView.h"
#include "resource.h"

#include <QMdiSubWindow>
#include <QStackedWidget>
#include <QTest>
#include <QTreeWidgetItem>

namespace {

// The ids of the right-pane views whose widgets are visible.
QList<int> VisibleIds(CKeystowChildFrame* frame) {
    QList<int> ids;
    for (int id = 1; id <= 7; ++id)
        if (QWidget* view = frame->GetPaneView(id); view && view->isVisible())
            ids << id;
    return ids;
}

} // namespace

TestCKeystowChildFrame::TestCKeystowChildFrame() = default;
TestCKeystowChildFrame::~TestCKeystowChildFrame() = default;

CKeystowDoc* TestCKeystowChildFrame::NewDoc() {
    for (CMultiDocTemplate* t : m_app->GetDocManager()->GetTemplates())
        if (t->GetResourceId() == IDR_KEYSTOWTYPE)
            return qobject_cast<CKeystowDoc*>(t->OpenDocumentFile(QString()));
    return nullptr;
}

void TestCKeystowChildFrame::init() {
    StartFramework({CreatePasswordsDocTemplate()}, QSize(1000, 700));
}

void TestCKeystowChildFrame::cleanup() {
    StopFramework();
}

void TestCKeystowChildFrame::newWindowLayout() {
    CKeystowDoc* doc = NewDoc();
    QVERIFY(doc);
    CKeystowChildFrame* frame = doc->GetFrame();
    QVERIFY(frame);
    QVERIFY(frame->SubWindow()->isMaximized());
    QTRY_COMPARE(frame->GetSplitter()->sizes().value(0), CKeystowChildFrame::kTreeWidth);
    QCOMPARE(frame->GetSplitter()->widget(0), static_cast<QWidget*>(frame->GetLeftView()));
    QCOMPARE(VisibleIds(frame), QList<int>({frame->blankRootViewId}));
    // The tree keeps its width when the window grows; the right pane takes the rest.
    m_frame->resize(1200, 800);
    QTRY_VERIFY(frame->width() > 1000);
    QCOMPARE(frame->GetSplitter()->sizes().value(0), CKeystowChildFrame::kTreeWidth);
    // Every view belongs to the document.
    QCOMPARE(doc->GetViews().size(), 8);
}

void TestCKeystowChildFrame::activationMaximises_data() {
    QTest::addColumn<bool>("minimised");
    QTest::newRow("normal size") << false;
    QTest::newRow("minimised") << true;
}

void TestCKeystowChildFrame::activationMaximises() {
    QFETCH(bool, minimised);
    CKeystowChildFrame* frame = NewDoc()->GetFrame();
    QMdiSubWindow* sub = frame->SubWindow();
    minimised ? sub->showMinimized() : sub->showNormal();
    QVERIFY(minimised ? sub->isMinimized() : !sub->isMaximized());
    // As the Window menu and a file opened again call it: through the frame's base.
    static_cast<CMDIChildWnd*>(frame)->ActivateFrame();
    QVERIFY(sub->isMaximized() && !sub->isMinimized());
}

void TestCKeystowChildFrame::viewIdsAndKinds() {
    CKeystowChildFrame* frame = NewDoc()->GetFrame();
    QCOMPARE(QList<int>({frame->blankRootViewId, frame->webRootViewId, frame->mailRootViewId,
                         frame->otherRootViewId, frame->webAccViewId, frame->mailAccViewId,
                         frame->otherAccViewId}),
             QList<int>({1, 2, 3, 4, 5, 6, 7}));
    QVERIFY(qobject_cast<BlankRootView*>(frame->GetPaneView(frame->blankRootViewId)));
    QVERIFY(qobject_cast<WebAccountsRootView*>(frame->GetPaneView(frame->webRootViewId)));
    QVERIFY(qobject_cast<EMailAccountsRootView*>(frame->GetPaneView(frame->mailRootViewId)));
    QVERIFY(qobject_cast<OtherAccountsRootView*>(frame->GetPaneView(frame->otherRootViewId)));
    QVERIFY(qobject_cast<CWebAccView*>(frame->GetPaneView(frame->webAccViewId)));
    QVERIFY(qobject_cast<CMailAccView*>(frame->GetPaneView(frame->mailAccViewId)));
    QVERIFY(qobject_cast<COtherAccView*>(frame->GetPaneView(frame->otherAccViewId)));
    QVERIFY(!frame->GetPaneView(0));
    QVERIFY(!frame->GetPaneView(8));
}

void TestCKeystowChildFrame::showPaneViewShowsExactlyOne_data() {
    QTest::addColumn<QList<int>>("sequence");
    QTest::newRow("each in turn") << QList<int>{1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("back and forth") << QList<int>{7, 1, 7, 2, 6};
    QTest::newRow("same view twice") << QList<int>{5, 5};
}

void TestCKeystowChildFrame::showPaneViewShowsExactlyOne() {
    QFETCH(QList<int>, sequence);
    CKeystowChildFrame* frame = NewDoc()->GetFrame();
    for (int id : sequence) {
        QVERIFY(frame->ShowPaneView(id));
        QCOMPARE(VisibleIds(frame), QList<int>({id}));
        int current = -1;
        QCOMPARE(frame->GetSplitter()->GetCurrentView(0, 1, &current), frame->GetPaneView(id));
        QCOMPARE(current, id);
    }
}

void TestCKeystowChildFrame::unknownIdChangesNothing() {
    CKeystowChildFrame* frame = NewDoc()->GetFrame();
    QVERIFY(frame->ShowPaneView(frame->mailRootViewId));
    for (int id : {-1, 0, 8, 1000})
        QVERIFY(!frame->ShowPaneView(id));
    QCOMPARE(VisibleIds(frame), QList<int>({frame->mailRootViewId}));
}

void TestCKeystowChildFrame::treeSelectionPicksTheView_data() {
    QTest::addColumn<QString>("select");
    QTest::addColumn<int>("view");
    QTest::addColumn<int>("slot"); // the account the form shows; -1 none
    QTest::newRow("web category") << "web" << 2 << -1;
    QTest::newRow("email account") << "mail:0" << 6 << 1;
    QTest::newRow("document node") << "root" << 1 << -1;
    QTest::newRow("second web account") << "web:1" << 5 << 2;
    QTest::newRow("other category") << "other" << 4 << -1;
    QTest::newRow("other account") << "other:0" << 7 << 0;
}

void TestCKeystowChildFrame::treeSelectionPicksTheView() {
    QFETCH(QString, select);
    QFETCH(int, view);
    QFETCH(int, slot);
    CKeystowDoc* doc = NewDoc();
    // Slots that differ from tree positions: a deleted Web slot and an empty Email slot.
    doc->Accounts().web.append({"alpha"});
    doc->Accounts().web.append({"gone"});
    doc->Accounts().web.append({"beta"});
    doc->Accounts().web.remove(1);
    doc->Accounts().mail.append(MailAccount());
    doc->Accounts().mail.remove(0);
    MailAccount mail;
    mail.name = "inbox";
    doc->Accounts().mail.append(mail);
    doc->Accounts().other.append({"card"});
    CKeystowChildFrame* frame = doc->GetFrame();
    CLeftView* tree = frame->GetLeftView();
    tree->OnInitialUpdate();

    // Start somewhere else, so that each row really switches.
    QVERIFY(frame->ShowPaneView(frame->mailRootViewId));
    const QStringList parts = select.split(':');
    QTreeWidgetItem* item = parts[0] == "root"   ? tree->RootItem()
                            : parts[0] == "web"  ? tree->WebItem()
                            : parts[0] == "mail" ? tree->EmailItem()
                                                 : tree->OtherItem();
    if (parts.size() > 1)
        item = item->child(parts[1].toInt());
    QVERIFY(item);
    tree->setCurrentItem(item);
    QCOMPARE(VisibleIds(frame), QList<int>({view}));
    if (slot >= 0) {
        auto* form = dynamic_cast<CAccountForm*>(frame->GetPaneView(view));
        QVERIFY(form);
        QCOMPARE(form->m_accountIndex, slot);
    }
}

void TestCKeystowChildFrame::splitterAddViewThatFailsKeepsThePane() {
    CViewSwitchSplitter splitter(2);
    auto* tree = new QWidget;
    splitter.SetPaneWidget(0, 0, tree);
    const int first = splitter.AddView(0, 1, [](QWidget* parent) { return new QWidget(parent); });
    const int second = splitter.AddView(0, 1, [](QWidget* parent) { return new QWidget(parent); });
    QCOMPARE(first, 1);
    QCOMPARE(second, 2);
    splitter.show();
    QVERIFY(splitter.ShowView(first));
    QCOMPARE(splitter.AddView(0, 1, [](QWidget*) { return nullptr; }), -1);
    QCOMPARE(splitter.AddView(0, 5, [](QWidget* parent) { return new QWidget(parent); }), -1);
    int current = -1;
    QCOMPARE(splitter.GetCurrentView(0, 1, &current), splitter.GetView(first));
    QCOMPARE(current, first);
    QVERIFY(splitter.GetView(first)->isVisible());
    QVERIFY(!splitter.GetView(second)->isVisible());
    // The next view added still takes the next id.
    QCOMPARE(splitter.AddView(0, 1, [](QWidget* parent) { return new QWidget(parent); }), 3);
    int row = -1, col = -1;
    QVERIFY(splitter.GetPaneOfView(3, &row, &col));
    QCOMPARE(row, 0);
    QCOMPARE(col, 1);
    QVERIFY(!splitter.GetPaneOfView(4, &row, &col));
    QCOMPARE(splitter.widget(0), tree);
}
