// Document/view layer: templates, the document manager, recent files, command routing and
// the enabling pass, and closing document windows.
#include "CCmdUI.h"
#include "CDocManager.h"
#include "CDocument.h"
#include "CMDIChildWnd.h"
#include "CMDIFrameWnd.h"
#include "CMultiDocTemplate.h"
#include "CView.h"
#include "CWinApp.h"
#include "TickClock.h"
#include "resource.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <time.h>

namespace {

const int kCmdA = 40001;
const int kCmdB = 40002;
const int kCmdChecked = 40003;
const int kCmdNobody = 40004;

QStringList g_calls;

class TestDoc : public CDocument {
public:
    TestDoc() {
        OnCommand(kCmdA, [] { g_calls << QStringLiteral("doc A"); });
        OnCommand(kCmdB, [] { g_calls << QStringLiteral("doc B"); });
        OnUpdateCommand(kCmdB, [this](CCmdUI* ui) { ui->Enable(m_enableB); });
    }
    bool OnOpenDocument(const QString& path) override {
        ++m_opens;
        m_lastPath = path;
        // What the frame takes as the active window while this document is still opening.
        if (auto* main = CWinApp::Current() ? CWinApp::Current()->GetMainWnd() : nullptr)
            m_activeWhileOpening = main->MDIGetActive();
        return m_acceptOpen && CDocument::OnOpenDocument(path);
    }
    bool SaveModified() override {
        ++m_saveAsks;
        return m_allowClose;
    }
    static inline bool m_acceptOpen = true;
    static inline bool m_allowClose = true;
    static inline int m_saveAsks = 0;
    static inline CMDIChildWnd* m_activeWhileOpening = nullptr;
    int m_opens = 0;
    QString m_lastPath;
    bool m_enableB = true;
};

class TestView : public QPlainTextEdit, public CView {
public:
    TestView() {
        OnCommand(kCmdA, [] { g_calls << QStringLiteral("view A"); });
        OnUpdateCommand(kCmdChecked, [](CCmdUI* ui) { ui->SetCheck(1); });
    }
    void OnInitialUpdate() override { ++m_initialUpdates; }
    int m_initialUpdates = 0;
};

class TestFrame : public CMDIChildWnd {
public:
    TestFrame() {
        OnCommand(kCmdB, [] { g_calls << QStringLiteral("frame B"); });
    }
};

class TestMainFrame : public CMDIFrameWnd {
public:
    TestMainFrame() {
        OnCommand(kCmdChecked, [] { g_calls << QStringLiteral("main C"); });
    }
};

CMultiDocTemplate* MakeTemplate(int id, const QString& docString) {
    return new CMultiDocTemplate(
        id, docString, [] { return new TestDoc; }, [] { return new TestFrame; },
        [] { return new TestView; });
}

const char* const kTextString =
    "\nUntitled\nUEdit\nKeystow Encrypted Text Files (*.etx)\n.etx\nEtx.Document\nKeystow "
    "Encrypted Text";
const char* const kPassString =
    "\nUntitled\nWebAcc\nKeystow Encrypted Data Files (*.ksw)\n.ksw\nKsw.Document\nKeystow "
    "Encrypted Data";

} // namespace

class TestFramework : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void docStringFields();
    void untitledNamesCount();
    void newWindowsCascadeInsideTheArea();
    void windowOpenedBeforeShowFillsArea();
    void openByExtension_data();
    void openByExtension();
    void alreadyOpenFileComesToFront();
    void refusedOpenLeavesNothing();
    void recentListKeepsFourNewestFirst();
    void recentListReadsStoredEntries();
    void routingOrder_data();
    void routingOrder();
    void enablingPass_data();
    void enablingPass();
    void disabledCommandDoesNotRun();
    void menuUpdatesWhenAboutToShow();
    void closingFrameAsksDocument();
    void windowKeys();
    void openingWindowTakesNoCommands();
    void secondFrameClosesWithoutAsking();
    void fileCloseCommand_data();
    void fileCloseCommand();
    void idleClockCountsTimeAsleep();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CWinApp> m_app;
    TestMainFrame* m_main = nullptr;
    CMultiDocTemplate* m_text = nullptr;
    CMultiDocTemplate* m_pass = nullptr;
    CMultiDocTemplate* m_browser = nullptr;
};

void TestFramework::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir->path());
    g_calls.clear();
    TestDoc::m_acceptOpen = true;
    TestDoc::m_allowClose = true;
    TestDoc::m_saveAsks = 0;
    m_app = std::make_unique<CWinApp>(QStringLiteral("Keystow Editor"));
    m_app->SetRegistryKey(QStringLiteral("Keystow"));
    m_app->LoadStdProfileSettings(4);
    m_text = MakeTemplate(IDR_TEXTTYPE, QString::fromLatin1(kTextString));
    m_pass = MakeTemplate(IDR_KEYSTOWTYPE, QString::fromLatin1(kPassString));
    m_browser = MakeTemplate(IDR_BROWSERTYPE, QString());
    m_app->AddDocTemplate(m_text);
    m_app->AddDocTemplate(m_pass);
    m_app->AddDocTemplate(m_browser);
    m_main = new TestMainFrame;
    m_main->resize(800, 600);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main));
}

void TestFramework::cleanup() {
    m_app->GetDocManager()->CloseAllDocuments();
    delete m_main;
    m_main = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_app.reset();
    m_dir.reset();
}

void TestFramework::docStringFields() {
    QCOMPARE(m_text->GetDocString(CMultiDocTemplate::windowTitle), QString());
    QCOMPARE(m_text->GetDocString(CMultiDocTemplate::docName), QStringLiteral("Untitled"));
    QCOMPARE(m_pass->GetDocString(CMultiDocTemplate::fileNewName), QStringLiteral("WebAcc"));
    QCOMPARE(m_pass->GetDocString(CMultiDocTemplate::filterName),
             QStringLiteral("Keystow Encrypted Data Files (*.ksw)"));
    QCOMPARE(m_text->GetDocString(CMultiDocTemplate::filterExt), QStringLiteral(".etx"));
    QCOMPARE(m_text->GetDocString(CMultiDocTemplate::regFileTypeId),
             QStringLiteral("Etx.Document"));
    QCOMPARE(m_pass->GetDocString(CMultiDocTemplate::regFileTypeName),
             QStringLiteral("Keystow Encrypted Data"));
    QCOMPARE(m_browser->GetDocString(CMultiDocTemplate::filterExt), QString());
}

void TestFramework::untitledNamesCount() {
    CDocument* first = m_text->OpenDocumentFile(QString());
    CDocument* second = m_text->OpenDocumentFile(QString());
    CDocument* other = m_pass->OpenDocumentFile(QString());
    QVERIFY(first && second && other);
    QCOMPARE(first->GetTitle(), QStringLiteral("Untitled1"));
    QCOMPARE(second->GetTitle(), QStringLiteral("Untitled2"));
    // Each type counts on its own.
    QCOMPARE(other->GetTitle(), QStringLiteral("Untitled1"));
    QVERIFY(first->GetPathName().isEmpty());
    QCOMPARE(m_main->MdiArea()->subWindowList().size(), 3);
    QCOMPARE(m_main->MDIGetActive()->GetActiveDocument(), other);
    QCOMPARE(m_main->MDIGetActive()->windowTitle(), QStringLiteral("Untitled1"));
    auto* view = dynamic_cast<TestView*>(first->GetFirstView());
    QVERIFY(view);
    QCOMPARE(view->m_initialUpdates, 1);
    QCOMPARE(view->GetDocument(), first);
}

void TestFramework::newWindowsCascadeInsideTheArea() {
    QList<QPoint> corners;
    for (int i = 0; i < 12; ++i) {
        CDocument* doc = m_text->OpenDocumentFile(QString());
        QVERIFY(doc);
        QMdiSubWindow* sub = doc->GetFrames().first()->SubWindow();
        QVERIFY(sub);
        const QRect room(QPoint(), m_main->MdiArea()->viewport()->size());
        QVERIFY2(room.contains(sub->geometry()), qPrintable(QStringLiteral("window %1").arg(i)));
        corners.append(sub->pos());
    }
    QCOMPARE(corners.first(), QPoint(0, 0));
    QVERIFY(corners.at(1).x() > 0 && corners.at(1).x() == corners.at(1).y());
    QVERIFY(corners.at(2).x() > corners.at(1).x());
    // Once the cascade reaches the edge it starts again at the corner.
    QVERIFY(corners.lastIndexOf(QPoint(0, 0)) > 0);
}

void TestFramework::windowOpenedBeforeShowFillsArea() {
    // A file named on the command line opens before the main window has ever been shown.
    delete m_main;
    m_main = new TestMainFrame;
    m_main->resize(900, 700);
    CDocument* doc = m_text->OpenDocumentFile(QString());
    QVERIFY(doc);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main));
    QMdiSubWindow* sub = doc->GetFrames().first()->SubWindow();
    const QSize room = m_main->MdiArea()->viewport()->size();
    QVERIFY(room.width() > 600);
    QTRY_COMPARE(sub->size(), QSize(room.width() * 3 / 4, room.height() * 3 / 4));
}

void TestFramework::openByExtension_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("templateIndex");
    QTest::newRow("etx") << "notes.etx" << 0;
    QTest::newRow("ksw") << "accounts.ksw" << 1;
    QTest::newRow("upper case ksw") << "ACCOUNTS.KSW" << 1;
    QTest::newRow("other extension goes to text") << "readme.txt" << 0;
    QTest::newRow("no extension goes to text") << "plain" << 0;
}

void TestFramework::openByExtension() {
    QFETCH(QString, name);
    QFETCH(int, templateIndex);
    const QString path = m_dir->filePath(name);
    CDocument* doc = m_app->OpenDocumentFile(path);
    QVERIFY(doc);
    QCOMPARE(doc->GetDocTemplate(), m_app->GetDocManager()->GetTemplates().at(templateIndex));
    QCOMPARE(doc->GetPathName(), QFileInfo(path).absoluteFilePath());
    QCOMPARE(doc->GetTitle(), name);
    QCOMPARE(static_cast<TestDoc*>(doc)->m_opens, 1);
}

void TestFramework::alreadyOpenFileComesToFront() {
    const QString path = m_dir->filePath(QStringLiteral("a.etx"));
    CDocument* a = m_app->OpenDocumentFile(path);
    CDocument* b = m_app->OpenDocumentFile(m_dir->filePath(QStringLiteral("b.ksw")));
    QVERIFY(a && b);
    QCOMPARE(m_main->GetActiveDocument(), b);
    // Same file through a different spelling of its path.
    CDocument* again = m_app->OpenDocumentFile(m_dir->path() + QStringLiteral("/./a.etx"));
    QCOMPARE(again, a);
    QCOMPARE(static_cast<TestDoc*>(a)->m_opens, 1);
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 2);
    QCOMPARE(m_main->GetActiveDocument(), a);
}

void TestFramework::refusedOpenLeavesNothing() {
    TestDoc::m_acceptOpen = false;
    QVERIFY(!m_app->OpenDocumentFile(m_dir->filePath(QStringLiteral("x.etx"))));
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 0);
    QCOMPARE(m_main->MdiArea()->subWindowList().size(), 0);
    QCOMPARE(m_app->GetRecentFileList()->GetCount(), 0);
    TestDoc::m_acceptOpen = true;
    // A refused new document does not use up a running number.
    QCOMPARE(m_text->OpenDocumentFile(QString())->GetTitle(), QStringLiteral("Untitled1"));
}

void TestFramework::recentListKeepsFourNewestFirst() {
    QStringList paths;
    for (const char* name : {"1.etx", "2.etx", "3.ksw", "4.etx", "5.etx"}) {
        paths << m_dir->filePath(QString::fromLatin1(name));
        QVERIFY(m_app->OpenDocumentFile(paths.last()));
    }
    CRecentFileList* list = m_app->GetRecentFileList();
    QCOMPARE(list->GetCount(), 4);
    QCOMPARE((*list)[0], paths[4]);
    QCOMPARE((*list)[3], paths[1]);
    // Reopening one moves it to the front without a duplicate.
    m_app->AddToRecentFileList(paths[2]);
    QCOMPARE((*list)[0], paths[2]);
    QCOMPARE(list->GetCount(), 4);

    QSettings settings(QStringLiteral("Keystow"), QStringLiteral("Keystow Editor"));
    QCOMPARE(settings.value(QStringLiteral("Recent File List/File1")).toString(), paths[2]);
    QCOMPARE(settings.value(QStringLiteral("Recent File List/File4")).toString(), paths[1]);
    QVERIFY(!settings.contains(QStringLiteral("Recent File List/File5")));
}

void TestFramework::recentListReadsStoredEntries() {
    {
        QSettings settings(QStringLiteral("Keystow"), QStringLiteral("Keystow Editor"));
        settings.setValue(QStringLiteral("Recent File List/File1"), QStringLiteral("/a.etx"));
        settings.setValue(QStringLiteral("Recent File List/File2"), QStringLiteral("/b.ksw"));
        settings.setValue(QStringLiteral("Recent File List/File5"), QStringLiteral("/e.etx"));
    }
    m_app->LoadStdProfileSettings(4);
    CRecentFileList* list = m_app->GetRecentFileList();
    QCOMPARE(list->Files(), (QStringList{QStringLiteral("/a.etx"), QStringLiteral("/b.ksw")}));
    CCmdUI first(ID_FILE_MRU_FILE1);
    m_main->UpdateCmdUI(&first);
    QVERIFY(first.m_enabled);
    CCmdUI third(ID_FILE_MRU_FILE3);
    m_main->UpdateCmdUI(&third);
    QVERIFY(!third.m_enabled);
}

void TestFramework::routingOrder_data() {
    QTest::addColumn<bool>("withDocument");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("ranBy");
    QTest::newRow("view before document") << true << kCmdA << "view A";
    QTest::newRow("document before frame") << true << kCmdB << "doc B";
    QTest::newRow("main frame") << true << kCmdChecked << "main C";
    QTest::newRow("main frame with no document") << false << kCmdChecked << "main C";
}

void TestFramework::routingOrder() {
    QFETCH(bool, withDocument);
    QFETCH(int, id);
    QFETCH(QString, ranBy);
    if (withDocument)
        QVERIFY(m_text->OpenDocumentFile(QString()));
    QVERIFY(m_main->ExecuteCommand(id));
    QCOMPARE(g_calls, QStringList{ranBy});
}

void TestFramework::enablingPass_data() {
    QTest::addColumn<bool>("withDocument");
    QTest::addColumn<bool>("enableB");
    QTest::addColumn<int>("id");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("checked");
    QTest::newRow("handler enables") << true << true << kCmdA << true << false;
    QTest::newRow("updater disables") << true << false << kCmdB << false << false;
    QTest::newRow("updater enables") << true << true << kCmdB << true << false;
    QTest::newRow("view checks") << true << true << kCmdChecked << true << true;
    QTest::newRow("nobody handles") << true << true << kCmdNobody << false << false;
    QTest::newRow("view command without view") << false << true << kCmdA << false << false;
    QTest::newRow("frame command without view") << false << true << kCmdChecked << true << false;
}

void TestFramework::enablingPass() {
    QFETCH(bool, withDocument);
    QFETCH(bool, enableB);
    QFETCH(int, id);
    QFETCH(bool, enabled);
    QFETCH(bool, checked);
    if (withDocument) {
        auto* doc = static_cast<TestDoc*>(m_text->OpenDocumentFile(QString()));
        doc->m_enableB = enableB;
    }
    QAction* action = m_main->CreateCommandAction(id, QStringLiteral("x"));
    action->setCheckable(true);
    action->setEnabled(!enabled);
    m_main->UpdateCommandActions({action});
    QCOMPARE(action->isEnabled(), enabled);
    QCOMPARE(action->isChecked(), checked);
}

void TestFramework::disabledCommandDoesNotRun() {
    auto* doc = static_cast<TestDoc*>(m_text->OpenDocumentFile(QString()));
    doc->m_enableB = false;
    QVERIFY(!m_main->ExecuteCommand(kCmdB));
    QVERIFY(g_calls.isEmpty());
    QVERIFY(!m_main->ExecuteCommand(kCmdNobody));
}

void TestFramework::menuUpdatesWhenAboutToShow() {
    QMenu menu;
    QAction* a = m_main->CreateCommandAction(kCmdA, QStringLiteral("A"), &menu);
    menu.addAction(a);
    m_main->WatchMenu(&menu);
    m_main->SetIdleUpdateInterval(1000000);
    QVERIFY(a->isEnabled());
    QMetaObject::invokeMethod(&menu, "aboutToShow");
    QVERIFY(!a->isEnabled());
    QVERIFY(m_text->OpenDocumentFile(QString()));
    QMetaObject::invokeMethod(&menu, "aboutToShow");
    QVERIFY(a->isEnabled());
    a->trigger();
    QCOMPARE(g_calls, QStringList{QStringLiteral("view A")});
}

void TestFramework::closingFrameAsksDocument() {
    CDocument* doc = m_text->OpenDocumentFile(QString());
    QPointer<CDocument> guard(doc);
    QMdiSubWindow* sub = m_main->MdiArea()->subWindowList().first();
    TestDoc::m_allowClose = false;
    QVERIFY(!sub->close());
    QCOMPARE(TestDoc::m_saveAsks, 1);
    QVERIFY(guard);
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 1);

    TestDoc::m_allowClose = true;
    QPointer<QMdiSubWindow> subGuard(sub);
    QVERIFY(sub->close());
    QCOMPARE(TestDoc::m_saveAsks, 2);
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 0);
    QTRY_VERIFY(!guard);
    QTRY_VERIFY(!subGuard);
}

void TestFramework::windowKeys() {
    QPointer<CDocument> first = m_text->OpenDocumentFile(QString());
    QPointer<CDocument> second = m_text->OpenDocumentFile(QString());
    QMdiArea* area = m_main->MdiArea();
    m_main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main));
    QCOMPARE(area->activeSubWindow(), second->GetFrames().first()->SubWindow());
    QWidget* view = second->GetFirstView()->GetWidget();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_F6, Qt::ControlModifier);
    QTRY_COMPARE(area->activeSubWindow(), first->GetFrames().first()->SubWindow());
    // Ctrl+F4 closes the active window through the document's close check.
    TestDoc::m_allowClose = false;
    QTest::keyClick(first->GetFirstView()->GetWidget(), Qt::Key_F4, Qt::ControlModifier);
    QCOMPARE(TestDoc::m_saveAsks, 1);
    QVERIFY(first);
    TestDoc::m_allowClose = true;
    QTest::keyClick(first->GetFirstView()->GetWidget(), Qt::Key_F4, Qt::ControlModifier);
    QTRY_VERIFY(!first);
    QVERIFY(second);
}

void TestFramework::openingWindowTakesNoCommands() {
    // While a file is being opened (its password asked for), its window is not shown yet: the
    // window in front keeps the commands, and with none there is no active window at all.
    m_main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main));
    TestDoc::m_activeWhileOpening = reinterpret_cast<CMDIChildWnd*>(1);
    QVERIFY(m_app->OpenDocumentFile(m_dir->filePath(QStringLiteral("first.etx"))));
    QCOMPARE(TestDoc::m_activeWhileOpening, static_cast<CMDIChildWnd*>(nullptr));
    CMDIChildWnd* front = m_main->MDIGetActive();
    QVERIFY(front);
    QVERIFY(m_app->OpenDocumentFile(m_dir->filePath(QStringLiteral("second.etx"))));
    QCOMPARE(TestDoc::m_activeWhileOpening, front);
}

void TestFramework::secondFrameClosesWithoutAsking() {
    CDocument* doc = m_text->OpenDocumentFile(QString());
    // A second window on the same document.
    CMDIChildWnd* second = m_text->CreateNewFrame(doc);
    QVERIFY(second);
    m_text->InitialUpdateFrame(second, doc);
    QCOMPARE(doc->GetFrames().size(), 2);
    QVERIFY(second->SubWindow()->close());
    QCOMPARE(TestDoc::m_saveAsks, 0);
    QTRY_COMPARE(doc->GetFrames().size(), 1);
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 1);
}

void TestFramework::fileCloseCommand_data() {
    QTest::addColumn<bool>("allow");
    QTest::newRow("document agrees") << true;
    QTest::newRow("document refuses") << false;
}

void TestFramework::fileCloseCommand() {
    QFETCH(bool, allow);
    QPointer<CDocument> doc = m_text->OpenDocumentFile(QString());
    TestDoc::m_allowClose = allow;
    QVERIFY(m_main->ExecuteCommand(ID_FILE_CLOSE));
    QCOMPARE(TestDoc::m_saveAsks, 1);
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), allow ? 0 : 1);
    if (allow)
        QTRY_VERIFY(!doc);
    else
        QVERIFY(doc);
}

// The monotonic clock stops while the machine sleeps; the idle clock must not, or a program
// left idle over a sleep would not lock on resume.
void TestFramework::idleClockCountsTimeAsleep() {
    TickClock::SetSource({});
    timespec boot{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    const auto bootMs = quint32(quint64(boot.tv_sec) * 1000 + quint64(boot.tv_nsec) / 1000000);
    QVERIFY(TickClock::Now() - bootMs < 1000u);
}

QTEST_MAIN(TestFramework)
#include "tst_framework.moc"
