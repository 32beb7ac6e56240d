#include "tst_browsermenus.h"

#include "CDocument.h"
#include "CKeystowBrowserView.h"
#include "CMDIChildWnd.h"
#include "CMultiDocTemplate.h"
#include "TestFiles.h"
#include "resource.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

namespace {

QStringList MenuBarTitles(CMainFrame* frame) {
    QStringList titles;
    for (QAction* action : frame->menuBar()->actions())
        titles << action->text();
    return titles;
}

// Every command of the menus, with a '+' for those that can run now.
QStringList EnabledCommands(CMainFrame* frame, int menuId) {
    QStringList shown;
    for (QMenu* menu : frame->Menus(menuId)) {
        emit menu->aboutToShow();
        for (QAction* action : menu->actions()) {
            const int id = CMDIFrameWnd::CommandId(action);
            if (id != 0 && action->isVisible())
                shown << QString::number(id) + (action->isEnabled() ? QStringLiteral("+") : "");
        }
        emit menu->aboutToHide();
    }
    return shown;
}

} // namespace

void TestBrowserMenus::init() {
    QVERIFY(StartShell());
}

void TestBrowserMenus::cleanup() {
    StopShell();
}

CDocument* TestBrowserMenus::Open(char kind) {
    CMultiDocTemplate* tmpl = kind == 't'   ? m_app->m_pTextTemplate
                              : kind == 'p' ? m_app->m_pPasswordsTemplate
                                            : m_app->m_pBrowserTemplate;
    return tmpl->OpenDocumentFile(QString());
}

void TestBrowserMenus::menuBarFollowsActiveWindow_data() {
    // Windows opened in order (t text, p passwords, b browser), the one made active last,
    // and the menu the main window then shows.
    QTest::addColumn<QString>("windows");
    QTest::addColumn<int>("activate");
    QTest::addColumn<int>("menu");
    QTest::newRow("browser alone") << "b" << 0 << IDR_MAINFRAME;
    QTest::newRow("browser opened after text") << "tb" << 1 << IDR_MAINFRAME;
    QTest::newRow("text made active over browser") << "tb" << 0 << IDR_TEXTTYPE;
    QTest::newRow("passwords opened after browser") << "bp" << 1 << IDR_TEXTTYPE;
    QTest::newRow("browser made active over passwords") << "bp" << 0 << IDR_MAINFRAME;
}

void TestBrowserMenus::menuBarFollowsActiveWindow() {
    QFETCH(QString, windows);
    QFETCH(int, activate);
    QFETCH(int, menu);
    QList<CDocument*> docs;
    for (const QChar kind : windows) {
        CDocument* doc = Open(kind.toLatin1());
        QVERIFY(doc);
        docs << doc;
    }
    // Switched away and back, so that the menu follows activation and not only opening.
    CMDIChildWnd* wanted = docs[activate]->GetFrames().first();
    CMDIChildWnd* other = docs.size() > 1 ? docs[1 - activate]->GetFrames().first() : nullptr;
    if (other) {
        other->ActivateFrame();
        QTRY_COMPARE(m_frame->MDIGetActive(), other);
    }
    wanted->ActivateFrame();
    QTRY_COMPARE(m_frame->MDIGetActive(), wanted);
    QTRY_COMPARE(m_frame->CurrentMenuId(), menu);
    QList<QAction*> expected;
    for (QMenu* popup : m_frame->Menus(menu))
        expected << popup->menuAction();
    QCOMPARE(m_frame->menuBar()->actions(), expected);
    const QStringList titles =
        menu == IDR_MAINFRAME
            ? QStringList{"&File", "&View", "Settings", "&Help"}
            : QStringList{"&File", "&Edit", "&View", "Settings", "&Window", "&Help"};
    QCOMPARE(MenuBarTitles(m_frame), titles);
}

void TestBrowserMenus::defaultMenuCommandsWithBrowserActive() {
    // A browser window has no menu of its own: the default menu offers what it offers with no
    // window open, the Web Browser command included.
    const QStringList withoutWindow = EnabledCommands(m_frame, IDR_MAINFRAME);
    QVERIFY(withoutWindow.contains(QStringLiteral("%1+").arg(ID_WEB_BROWSER)));
    QVERIFY(m_frame->ExecuteCommand(ID_WEB_BROWSER));
    QTRY_VERIFY(m_frame->MDIGetActive());
    QCOMPARE(m_frame->MDIGetActive()->GetDocTemplate(), m_app->m_pBrowserTemplate);
    QTRY_COMPARE(m_frame->CurrentMenuId(), IDR_MAINFRAME);
    QCOMPARE(EnabledCommands(m_frame, IDR_MAINFRAME), withoutWindow);
    // A second browser window from the menu while one is active.
    QVERIFY(m_frame->ExecuteCommand(ID_WEB_BROWSER));
    QTRY_COMPARE(m_app->m_pBrowserTemplate->GetDocuments().size(), 2);
    QCOMPARE(m_frame->CurrentMenuId(), IDR_MAINFRAME);
}

void TestBrowserMenus::blockedWindowNamedInStatusBar() {
    // A page that asks for a window from a timer, with no click or key press before it.
    const QString page = m_dir->filePath(QStringLiteral("opener.html"));
    WriteRaw(page, "<html><body><script>setTimeout(function() { window.open('about:blank'); }, 50);"
                   "</script></body></html>");
    CDocument* doc = Open('b');
    QVERIFY(doc);
    auto* view = dynamic_cast<CKeystowBrowserView*>(doc->GetFirstView());
    QVERIFY(view && view->Pane());
    view->Pane()->Load(QUrl::fromLocalFile(page));
    QTRY_COMPARE_WITH_TIMEOUT(m_frame->GetStatusPaneText(CMDIFrameWnd::MessagePane),
                              CKeystowBrowserView::WindowBlockedText(), 20000);
    QCOMPARE(m_app->m_pBrowserTemplate->GetDocuments().size(), 1);
}
