#include "ShellTestSupport.h"

#include "CDocManager.h"
#include "CDocument.h"
#include "CEditorApp.h"
#include "CEditorDoc.h"
#include "CEditorView.h"
#include "CKeystowChildFrame.h"
#include "CKeystowDoc.h"
#include "CLeftView.h"
#include "CMDIChildWnd.h"
#include "CMainFrame.h"
#include "CMultiDocTemplate.h"
#include "CSaveChangesDlg.h"
#include "DialogScript.h"
#include "resource.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// How the main frame treats its document windows: the Window menu, the menu bar, Cascade, the
// idle message and the order of questions on Exit.
class TestDocumentWindows : public QObject, protected ShellFixture {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void windowMenuListsTheWindows();
    void menuBarFollowsWindowOpenedBeforeShow();
    void readyComesBackWhenATipGoes();
    void cascadeKeepsWindowsUseful();
    void exitShowsEachModifiedWindowBeforeItsQuestion();
    void everyMenuShowsItsPrompts();
    void printSetupAndPositionPaneFollowTheWindow_data();
    void printSetupAndPositionPaneFollowTheWindow();

private:
    QList<CDocument*> NewTextDocuments(int count);
    QMenu* WindowMenu() const;
};

void TestDocumentWindows::init() {
    QVERIFY(StartShell());
}

void TestDocumentWindows::cleanup() {
    StopShell();
}

QList<CDocument*> TestDocumentWindows::NewTextDocuments(int count) {
    QList<CDocument*> docs;
    for (int i = 0; i < count; ++i)
        docs << m_app->m_pTextTemplate->OpenDocumentFile(QString());
    return docs;
}

QMenu* TestDocumentWindows::WindowMenu() const {
    for (QMenu* menu : m_frame->Menus(IDR_TEXTTYPE))
        if (menu->title() == QStringLiteral("&Window"))
            return menu;
    return nullptr;
}

void TestDocumentWindows::windowMenuListsTheWindows() {
    const QList<CDocument*> docs = NewTextDocuments(3);
    QMenu* menu = WindowMenu();
    QVERIFY(menu);
    for (int round = 0; round < 2; ++round) {
        emit menu->aboutToShow();
        QStringList listed;
        QList<QAction*> windows;
        bool pastSeparator = false;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator()) {
                pastSeparator = true;
                continue;
            }
            if (!pastSeparator)
                continue;
            windows << action;
            listed << action->text() + (action->isChecked() ? QStringLiteral("*") : QString());
        }
        // Numbered in the order they were opened, the active one checked; shown again, the
        // list is rebuilt, not appended to.
        const QString active = round == 0 ? QStringLiteral("3") : QStringLiteral("1");
        QStringList expected;
        for (int i = 0; i < 3; ++i)
            expected << QStringLiteral("&%1 %2%3")
                            .arg(i + 1)
                            .arg(docs[i]->GetTitle())
                            .arg(QString::number(i + 1) == active ? QStringLiteral("*")
                                                                  : QString());
        QCOMPARE(listed, expected);
        if (round == 0) {
            windows[0]->trigger();
            QTRY_COMPARE(m_frame->MDIGetActive()->GetActiveDocument(), docs[0]);
        }
    }
}

void TestDocumentWindows::menuBarFollowsWindowOpenedBeforeShow() {
    // A file named on the command line opens before the frame shows.
    m_frame->hide();
    NewTextDocuments(1);
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame));
    QTRY_COMPARE(m_frame->CurrentMenuId(), IDR_TEXTTYPE);
}

void TestDocumentWindows::readyComesBackWhenATipGoes() {
    QStatusTipEvent tip(QStringLiteral("Open an existing document"));
    QApplication::sendEvent(m_frame, &tip);
    QCOMPARE(m_frame->StatusBar()->currentMessage(), QStringLiteral("Open an existing document"));
    QStatusTipEvent gone{QString()};
    QApplication::sendEvent(m_frame, &gone);
    QCOMPARE(m_frame->StatusBar()->currentMessage(), QStringLiteral("Ready"));
}

void TestDocumentWindows::cascadeKeepsWindowsUseful() {
    NewTextDocuments(3);
    QMdiArea* area = m_frame->MdiArea();
    area->subWindowList().first()->showMaximized();
    QVERIFY(m_frame->ExecuteCommand(ID_WINDOW_CASCADE));
    const QSize room = area->viewport()->size();
    QPoint previous(-1, -1);
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder)) {
        QVERIFY(!sub->isMaximized());
        // Most of the area, inside it, each one further down and right.
        QVERIFY2(sub->width() >= room.width() / 2 && sub->height() >= room.height() / 2,
                 qPrintable(QStringLiteral("%1x%2 in %3x%4")
                                .arg(sub->width())
                                .arg(sub->height())
                                .arg(room.width())
                                .arg(room.height())));
        QVERIFY(QRect(QPoint(0, 0), room).contains(sub->geometry()));
        QVERIFY(sub->x() > previous.x() && sub->y() > previous.y());
        previous = sub->pos();
    }
}

void TestDocumentWindows::exitShowsEachModifiedWindowBeforeItsQuestion() {
    const QList<CDocument*> docs = NewTextDocuments(3);
    for (CDocument* doc : {docs[0], docs[2]})
        static_cast<CEditorDoc*>(doc)->GetView()->insertPlainText(QStringLiteral("x"));
    docs[1]->GetFrames().first()->ActivateFrame();
    QStringList asked;
    const auto answerNo = [this, &asked](QWidget* dlg) {
        CMDIChildWnd* front = m_frame->MDIGetActive();
        asked << static_cast<CSaveChangesDlg*>(dlg)->m_fileName + QStringLiteral(" @ ") +
                     (front ? front->GetActiveDocument()->GetTitle() : QStringLiteral("none"));
        static_cast<CSaveChangesDlg*>(dlg)->done(IDNO);
    };
    DialogScript script;
    script.Then(answerNo).Then(answerNo);
    QVERIFY(m_frame->ExecuteCommand(ID_APP_EXIT));
    QVERIFY(script.Finished());
    // The window in front is the one the question is about.
    QCOMPARE(asked, (QStringList{docs[0]->GetTitle() + ".etx @ " + docs[0]->GetTitle(),
                                 docs[2]->GetTitle() + ".etx @ " + docs[2]->GetTitle()}));
}

std::unique_ptr<QObject> CreateDocumentWindowsTest() {
    return std::make_unique<TestDocumentWindows>();
}

#include "tst_documentwindows.moc"

void TestDocumentWindows::printSetupAndPositionPaneFollowTheWindow_data() {
    QTest::addColumn<int>("window"); // 0 none, 1 text, 2 passwords
    QTest::newRow("no window") << 0;
    QTest::newRow("text window") << 1;
    QTest::newRow("passwords window") << 2;
}

void TestDocumentWindows::printSetupAndPositionPaneFollowTheWindow() {
    QFETCH(int, window);
    // A text window writes its caret position first.
    CDocument* text = NewTextDocuments(1).constFirst();
    QTRY_VERIFY(m_frame->GetStatusPaneText(CMainFrame::PositionPane).startsWith(" Ln 1"));
    if (window == 0)
        text->OnCloseDocument();
    else if (window == 2)
        QVERIFY(m_app->m_pPasswordsTemplate->OpenDocumentFile(QString()));
    // Only a text window has a caret position to show.
    QCOMPARE(m_frame->GetStatusPaneText(CMainFrame::PositionPane).trimmed().isEmpty(), window != 1);

    DialogScript script;
    script.Then([](QWidget* d) { static_cast<QDialog*>(d)->reject(); });
    QVERIFY(m_frame->ExecuteCommand(ID_FILE_PRINT_SETUP));
    QCOMPARE(script.Seen(), QStringList({"QPrintDialog"}));
}

void TestDocumentWindows::everyMenuShowsItsPrompts() {
    for (int menuId : {IDR_MAINFRAME, IDR_TEXTTYPE})
        for (QMenu* menu : m_frame->Menus(menuId))
            for (QAction* action : menu->actions())
                QVERIFY2(action->isSeparator() || !action->statusTip().isEmpty(),
                         qPrintable(action->text()));
    // A popup keeps its tips to itself; the tree's menu shows them in the frame all the same.
    auto* doc = qobject_cast<CKeystowDoc*>(m_app->m_pPasswordsTemplate->OpenDocumentFile({}));
    CLeftView* tree = doc->GetFrame()->GetLeftView();
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {},
                      tree->visualItemRect(tree->WebItem()).center());
    QMenu* menu = nullptr;
    QTRY_VERIFY((menu = tree->OpenContextMenu()) && menu->isVisible());
    menu->actions().constFirst()->hover();
    QCOMPARE(m_frame->StatusBar()->currentMessage(), QStringLiteral("Add Web Account..."));
    menu->close();
    QCOMPARE(m_frame->StatusBar()->currentMessage(), CMainFrame::ReadyMessage());
}
