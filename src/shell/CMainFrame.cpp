#include "CMainFrame.h"

#include "CAboutDlg.h"
#include "CCmdUI.h"
#include "CDesktopLockWatch.h"
#include "CDocument.h"
#include "CEditorApp.h"
#include "CMDIChildWnd.h"
#include "CMultiDocTemplate.h"
#include "CNewDocumentFormatDlg.h"
#include "CScreenLockController.h"
#include "CScreenLockSettingsDlg.h"
#include "CView.h"
#include "CWelcomeDlg.h"
#include "KeyIndicators.h"
#include "ResString.h"
#include "resource.h"

#include <CEditorView.h>
#include <CEncryptedDoc.h>
#include <CShellDialog.h>
#include <DocumentCommands.h>
#include <NewDocumentFormat.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QWindow>

#include <utility>

const char* const CMainFrame::kWebSiteAddress = "https://keystow.example.org/";

namespace {

// One menu entry: id 0 is a separator.
struct MenuItem {
    const char* text;
    int id;
};

struct Popup {
    const char* title;
    std::initializer_list<MenuItem> items;
};

const char* const kRecentFilePlaceholder = "Recent File";

// Menu 128, shown while no document window is active.
const std::initializer_list<Popup> kDefaultMenu = {
    {"&File",
     {{"&New\tCtrl+N", ID_FILE_NEW},
      {"&Open...\tCtrl+O", ID_FILE_OPEN},
      {nullptr, 0},
      {"P&rint Setup...", ID_FILE_PRINT_SETUP},
      {nullptr, 0},
      {kRecentFilePlaceholder, ID_FILE_MRU_FILE1},
      {nullptr, 0},
      {"Web Browser...", ID_WEB_BROWSER},
      {nullptr, 0},
      {"E&xit", ID_APP_EXIT}}},
    {"&View",
     {{"&Toolbar", ID_VIEW_TOOLBAR},
      {"&Status Bar", ID_VIEW_STATUS_BAR},
      {nullptr, 0},
      {"Lock", ID_LOCK},
      {nullptr, 0},
      {"Wizard...", ID_WIZARD}}},
    {"Settings",
     {{"Screen Lock Options...", ID_SCREEN_LOCK_OPTIONS},
      {"Encryption of New Documents...", ID_NEW_DOCUMENT_ENCRYPTION}}},
    {"&Help",
     {{"Keystow Editor on the Web...", ID_HELP_WEBSITE},
      {nullptr, 0},
      {"&About Keystow Editor...", ID_APP_ABOUT}}},
};

// Menu 104, shown while a text or passwords window is active.
const std::initializer_list<Popup> kDocumentMenu = {
    {"&File",
     {{"&New\tCtrl+N", ID_FILE_NEW},
      {"&Open...\tCtrl+O", ID_FILE_OPEN},
      {"&Close", ID_FILE_CLOSE},
      {"&Save\tCtrl+S", ID_FILE_SAVE},
      {"Save &As...", ID_FILE_SAVE_AS},
      {nullptr, 0},
      {"Browse Web...", ID_WEB_BROWSER},
      {nullptr, 0},
      {"&Print...\tCtrl+P", ID_FILE_PRINT},
      {"Print Pre&view", ID_FILE_PRINT_PREVIEW},
      {"P&rint Setup...", ID_FILE_PRINT_SETUP},
      {nullptr, 0},
      {kRecentFilePlaceholder, ID_FILE_MRU_FILE1},
      {nullptr, 0},
      {"E&xit", ID_APP_EXIT}}},
    {"&Edit",
     {{"&Undo\tCtrl+Z", ID_EDIT_UNDO},
      {nullptr, 0},
      {"Cu&t\tCtrl+X", ID_EDIT_CUT},
      {"&Copy\tCtrl+C", ID_EDIT_COPY},
      {"&Paste\tCtrl+V", ID_EDIT_PASTE},
      {"Select A&ll\tCtrl+A", ID_EDIT_SELECT_ALL},
      {nullptr, 0},
      {"&Find...\tCtrl+F", ID_EDIT_FIND},
      {"F&ind Next\tF3", ID_EDIT_REPEAT},
      {"R&eplace\tCtrl+H", ID_EDIT_REPLACE}}},
    {"&View", {{"&Toolbar", ID_VIEW_TOOLBAR}, {"&Status Bar", ID_VIEW_STATUS_BAR}}},
    {"Settings",
     {{"Screen Lock Options...", ID_SCREEN_LOCK_OPTIONS},
      {"Encryption of New Documents...", ID_NEW_DOCUMENT_ENCRYPTION},
      {nullptr, 0},
      {"Set New File Password...", ID_SET_FILE_PASSWORD}}},
    {"&Window",
     {{"&Cascade", ID_WINDOW_CASCADE},
      {"&Tile", ID_WINDOW_TILE_HORZ},
      {"&Arrange Icons", ID_WINDOW_ARRANGE}}},
    {"&Help",
     {{"Keystow Editor on the Web...", ID_HELP_WEBSITE},
      {"&About Keystow Editor...", ID_APP_ABOUT}}},
};

// Toolbar 128: id 0 is a separator.
const int kToolBar[] = {ID_FILE_NEW,    ID_FILE_OPEN,
                        ID_FILE_SAVE,   0,
                        ID_WIZARD,      0,
                        ID_EDIT_CUT,    ID_EDIT_COPY,
                        ID_EDIT_PASTE,  0,
                        ID_EDIT_FIND,   0,
                        ID_FILE_PRINT,  0,
                        ID_LOCK,        0,
                        ID_WEB_BROWSER, 0,
                        ID_APP_ABOUT};

const char* ToolBarImage(int id) {
    switch (id) {
    case ID_FILE_NEW:
        return ":/toolbar/new.png";
    case ID_FILE_OPEN:
        return ":/toolbar/open.png";
    case ID_FILE_SAVE:
        return ":/toolbar/save.png";
    case ID_WIZARD:
        return ":/toolbar/wizard.png";
    case ID_EDIT_CUT:
        return ":/toolbar/cut.png";
    case ID_EDIT_COPY:
        return ":/toolbar/copy.png";
    case ID_EDIT_PASTE:
        return ":/toolbar/paste.png";
    case ID_EDIT_FIND:
        return ":/toolbar/find.png";
    case ID_FILE_PRINT:
        return ":/toolbar/print.png";
    case ID_LOCK:
        return ":/toolbar/lock.png";
    case ID_WEB_BROWSER:
        return ":/toolbar/web.png";
    case ID_APP_ABOUT:
        return ":/toolbar/about.png";
    default:
        return nullptr;
    }
}

struct Accelerator {
    QKeySequence keys;
    int id;
};

// Accelerator table 128.
QList<Accelerator> AcceleratorTable() {
    return {
        {QKeySequence(Qt::CTRL | Qt::Key_A), ID_EDIT_SELECT_ALL},
        {QKeySequence(Qt::CTRL | Qt::Key_C), ID_EDIT_COPY},
        {QKeySequence(Qt::CTRL | Qt::Key_F), ID_EDIT_FIND},
        {QKeySequence(Qt::CTRL | Qt::Key_G), ID_EDIT_GOTO_URL},
        {QKeySequence(Qt::CTRL | Qt::Key_H), ID_EDIT_REPLACE},
        {QKeySequence(Qt::CTRL | Qt::Key_N), ID_FILE_NEW},
        {QKeySequence(Qt::CTRL | Qt::Key_O), ID_FILE_OPEN},
        {QKeySequence(Qt::CTRL | Qt::Key_P), ID_FILE_PRINT},
        {QKeySequence(Qt::CTRL | Qt::Key_S), ID_FILE_SAVE},
        {QKeySequence(Qt::CTRL | Qt::Key_V), ID_EDIT_PASTE},
        {QKeySequence(Qt::CTRL | Qt::Key_X), ID_EDIT_CUT},
        {QKeySequence(Qt::CTRL | Qt::Key_Z), ID_EDIT_UNDO},
        {QKeySequence(Qt::ALT | Qt::Key_Backspace), ID_EDIT_UNDO},
        {QKeySequence(Qt::ALT | Qt::Key_Delete), ID_EDIT_CLEAR},
        {QKeySequence(Qt::SHIFT | Qt::Key_Delete), ID_EDIT_CUT},
        {QKeySequence(Qt::CTRL | Qt::Key_Insert), ID_EDIT_COPY},
        {QKeySequence(Qt::SHIFT | Qt::Key_Insert), ID_EDIT_PASTE},
        {QKeySequence(Qt::Key_F3), ID_EDIT_REPEAT},
        {QKeySequence(Qt::Key_F6), ID_NEXT_PANE},
        {QKeySequence(Qt::SHIFT | Qt::Key_F6), ID_PREV_PANE},
        {QKeySequence(Qt::ALT | Qt::Key_Return), ID_OLE_EDIT_PROPERTIES},
        {QKeySequence(Qt::ALT | Qt::Key_Enter), ID_OLE_EDIT_PROPERTIES},
    };
}

// The toolbar label: the last newline-separated piece of the command's string, when not empty.
QString ToolBarLabel(int id) {
    const QString text = ResString(id);
    const QString last = text.section(QLatin1Char('\n'), -1);
    return last.isEmpty() ? text : last;
}

QString StatusPrompt(int id) {
    return ResString(id).section(QLatin1Char('\n'), 0, 0);
}

CEditorApp* App() {
    return qobject_cast<CEditorApp*>(CWinApp::Current());
}

} // namespace

static void InitToolbarResources() {
    Q_INIT_RESOURCE(toolbar);
}

CMainFrame::CMainFrame(QWidget* parent) : CMDIFrameWnd(parent), m_frameTimer(new QTimer(this)) {
    InitToolbarResources();
    setWindowTitle(ResString(IDS_APP_TITLE));
    setWindowIcon(QIcon(QStringLiteral(":/toolbar/app.png")));
    setAcceptDrops(true);

    OnCommand(ID_FILE_NEW, [this] { RunFileNewCommand(this); });
    OnCommand(ID_FILE_OPEN, [this] { RunFileOpenCommand(this); });
    OnCommand(ID_HELP, [this] { OnHelp(); });
    OnCommand(ID_HELP_WEBSITE, [this] { OnWebSite(); });
    OnCommand(ID_WEB_BROWSER, [this] { OnWebBrowser(); });
    OnCommand(ID_LOCK, [this] { LockWithPrompt(); });
    OnCommand(ID_WINDOW_NEW, [this] { LockWithDefaultText(); });
    OnCommand(ID_SCREEN_LOCK_OPTIONS, [this] { OnScreenLockOptions(); });
    OnCommand(ID_NEW_DOCUMENT_ENCRYPTION, [this] { OnNewDocumentEncryption(); });
    OnCommand(ID_WIZARD, [this] { OnWelcome(); });
    OnCommand(ID_APP_ABOUT, [this] { OnAbout(); });
    OnUpdateCommand(ID_WEB_BROWSER, [](CCmdUI* ui) {
        CEditorApp* app = App();
        ui->Enable(app && app->m_pBrowserTemplate && app->m_pBrowserTemplate->CanCreateDocuments());
    });
    OnCommand(ID_VIEW_TOOLBAR, [this] { m_toolBar->setVisible(!m_toolBar->isVisible()); });
    OnUpdateCommand(ID_VIEW_TOOLBAR, [this](CCmdUI* ui) { ui->SetCheck(m_toolBar->isVisible()); });
    OnCommand(ID_VIEW_STATUS_BAR, [this] { m_statusBar->setVisible(!m_statusBar->isVisible()); });
    OnUpdateCommand(ID_VIEW_STATUS_BAR,
                    [this](CCmdUI* ui) { ui->SetCheck(m_statusBar->isVisible()); });

    BuildMenus();
    BuildToolBar();
    BuildStatusBar();
    BuildAccelerators();
    SwitchMenu(IDR_MAINFRAME);
    connect(this, &CMDIFrameWnd::activeFrameChanged, this, &CMainFrame::OnActiveFrameChanged);
    if (CWinApp* app = CWinApp::Current())
        connect(app, &CWinApp::recentFilesChanged, this, [this] {
            for (QMenu* menu : m_defaultMenu + m_documentMenu)
                RefreshRecentFiles(menu);
        });

    ApplyStoredPlacement();
    qApp->installEventFilter(this);
    m_screenLock = new CScreenLockController(this);
    // The program locks together with the desktop when its lock is switched on.
    connect(new CDesktopLockWatch(this), &CDesktopLockWatch::desktopLocked, this, [this] {
        CEditorApp* app = App();
        if (!m_locked && app && app->GetLockSettings().lockEnabled() == 1)
            LockWithPrompt();
    });

    m_frameTimer->setInterval(100);
    connect(m_frameTimer, &QTimer::timeout, this, &CMainFrame::OnFrameTimer);
    m_frameTimer->start();
    StampActivity();
    m_locked = 0;
}

CMainFrame::~CMainFrame() {
    // A child would outlive this part of the frame: the events sent while the widgets below
    // are taken down, and the one its own removal sends, must not reach the lock.
    delete std::exchange(m_screenLock, nullptr);
}

void CMainFrame::BuildMenus() {
    auto build = [this](const std::initializer_list<Popup>& popups, QList<QMenu*>& menus) {
        for (const Popup& popup : popups) {
            auto* menu = new QMenu(QString::fromLatin1(popup.title), this);
            for (const MenuItem& item : popup.items) {
                if (item.id == 0) {
                    menu->addSeparator();
                    continue;
                }
                if (item.id == ID_FILE_MRU_FILE1) {
                    // Four places for the recent files; the first names the list while empty.
                    for (int i = 0; i < 4; ++i) {
                        QAction* action = CreateCommandAction(ID_FILE_MRU_FILE1 + i,
                                                              QString::fromLatin1(item.text), menu);
                        action->setStatusTip(StatusPrompt(ID_FILE_MRU_FILE1 + i));
                        action->setVisible(i == 0);
                        menu->addAction(action);
                    }
                    continue;
                }
                QAction* action =
                    CreateCommandAction(item.id, QString::fromLatin1(item.text), menu);
                action->setStatusTip(StatusPrompt(item.id));
                if (item.id == ID_VIEW_TOOLBAR || item.id == ID_VIEW_STATUS_BAR)
                    action->setCheckable(true);
                menu->addAction(action);
            }
            WatchMenu(menu);
            connect(menu, &QMenu::aboutToShow, this, [this] { StampActivity(); });
            if (menu->actions().first() && CommandId(menu->actions().first()) == ID_WINDOW_CASCADE)
                m_windowMenu = menu;
            menus.append(menu);
        }
    };
    build(kDefaultMenu, m_defaultMenu);
    build(kDocumentMenu, m_documentMenu);
    for (QMenu* menu : m_defaultMenu + m_documentMenu)
        RefreshRecentFiles(menu);
}

const QList<QMenu*>& CMainFrame::Menus(int menuId) const {
    return menuId == IDR_TEXTTYPE ? m_documentMenu : m_defaultMenu;
}

void CMainFrame::SwitchMenu(int menuId) {
    if (menuId != IDR_TEXTTYPE)
        menuId = IDR_MAINFRAME;
    if (menuId == m_currentMenuId)
        return;
    m_currentMenuId = menuId;
    QMenuBar* bar = menuBar();
    bar->clear();
    for (QMenu* menu : Menus(menuId))
        bar->addMenu(menu);
}

void CMainFrame::OnActiveFrameChanged() {
    SyncMenuToActiveFrame();
    CMDIChildWnd* frame = MDIGetActive();
    // The caret position belongs to a text window: it shows that window's own, and goes when
    // another kind of window (passwords, browser) or none is active.
    CView* view = frame ? frame->GetActiveView() : nullptr;
    auto* editor = view ? qobject_cast<CEditorView*>(view->GetWidget()) : nullptr;
    SetStatusPaneText(PositionPane, editor ? editor->StatusText() : QStringLiteral(" "));
}

void CMainFrame::RefreshRecentFiles(QMenu* menu) {
    CWinApp* app = CWinApp::Current();
    CRecentFileList* list = app ? app->GetRecentFileList() : nullptr;
    const int count = list ? list->GetCount() : 0;
    for (QAction* action : menu->actions()) {
        const int id = CommandId(action);
        if (id < ID_FILE_MRU_FILE1 || id > ID_FILE_MRU_FILE4)
            continue;
        const int index = id - ID_FILE_MRU_FILE1;
        if (index < count) {
            const QString path = QDir::toNativeSeparators((*list)[index]);
            const QString shown = fontMetrics().elidedText(path, Qt::ElideMiddle, 360);
            // Ampersands in a path must not turn into mnemonics.
            action->setText(QStringLiteral("&%1 %2").arg(index + 1).arg(
                QString(shown).replace(QLatin1Char('&'), QStringLiteral("&&"))));
            action->setVisible(true);
        } else {
            action->setText(QString::fromLatin1(kRecentFilePlaceholder));
            action->setVisible(index == 0 && count == 0);
        }
    }
}

void CMainFrame::OnMenuAboutToShow(QMenu* menu) {
    RefreshRecentFiles(menu);
    if (menu == m_windowMenu)
        RefreshWindowList();
}

void CMainFrame::RefreshWindowList() {
    // Below its own items the Window menu lists the document windows, the active one checked.
    for (QAction* action : std::as_const(m_windowListActions))
        delete action;
    m_windowListActions.clear();
    const QList<QMdiSubWindow*> subs = MdiArea()->subWindowList(QMdiArea::CreationOrder);
    CMDIChildWnd* active = MDIGetActive();
    int number = 0;
    for (QMdiSubWindow* sub : subs) {
        auto* frame = qobject_cast<CMDIChildWnd*>(sub->widget());
        if (!frame || !sub->isVisible() || frame->IsClosingFrame())
            continue;
        if (number == 0)
            m_windowListActions.append(m_windowMenu->addSeparator());
        ++number;
        QString title = frame->windowTitle();
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        const QString text = number <= 9 ? QStringLiteral("&%1 %2").arg(number).arg(title)
                                         : QStringLiteral("%1 %2").arg(number).arg(title);
        QAction* action = m_windowMenu->addAction(text);
        action->setCheckable(true);
        action->setChecked(frame == active);
        connect(action, &QAction::triggered, frame, [frame] { frame->ActivateFrame(); });
        m_windowListActions.append(action);
    }
}

void CMainFrame::SyncMenuToActiveFrame() {
    CMDIChildWnd* frame = MDIGetActive();
    CMultiDocTemplate* tmpl = frame ? frame->GetDocTemplate() : nullptr;
    SwitchMenu(tmpl ? tmpl->GetSharedMenu() : IDR_MAINFRAME);
}

bool CMainFrame::event(QEvent* event) {
    // A status tip that goes (the pointer left a menu item, the menu closed) gives the idle
    // message back instead of an empty pane.
    if (event->type() == QEvent::StatusTip && m_statusBar) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        m_statusBar->showMessage(tip.isEmpty() ? ReadyMessage() : tip);
        return true;
    }
    if (event->type() == QEvent::Show || event->type() == QEvent::WindowActivate)
        SyncMenuToActiveFrame();
    const bool result = CMDIFrameWnd::event(event);
    if (m_screenLock)
        m_screenLock->FrameEvent(event);
    return result;
}

QString CMainFrame::ReadyMessage() {
    return tr("Ready");
}

void CMainFrame::BuildToolBar() {
    m_toolBar = new QToolBar(QStringLiteral("Toolbar"), this);
    m_toolBar->setObjectName(QStringLiteral("toolbar128"));
    m_toolBar->setMovable(true);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(16, 15));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    QList<QToolButton*> buttons;
    for (int id : kToolBar) {
        if (id == 0) {
            m_toolBar->addSeparator();
            continue;
        }
        const QString label = ToolBarLabel(id);
        QAction* action = CreateCommandAction(id, label, m_toolBar);
        if (const char* image = ToolBarImage(id))
            action->setIcon(QIcon(QString::fromLatin1(image)));
        action->setToolTip(label);
        action->setStatusTip(StatusPrompt(id));
        m_toolBar->addAction(action);
        if (auto* button = qobject_cast<QToolButton*>(m_toolBar->widgetForAction(action)))
            buttons.append(button);
    }
    // Every button as large as the largest.
    QSize largest;
    for (QToolButton* button : buttons)
        largest = largest.expandedTo(button->sizeHint());
    for (QToolButton* button : buttons)
        button->setFixedSize(largest);
    addToolBar(Qt::TopToolBarArea, m_toolBar);
}

void CMainFrame::BuildStatusBar() {
    m_statusBar = new QStatusBar(this);
    setStatusBar(m_statusBar);
    auto addPane = [this](const QString& text, int width) {
        auto* pane = new QLabel(text, m_statusBar);
        pane->setFrameShape(QFrame::Panel);
        pane->setFrameShadow(QFrame::Sunken);
        pane->setContentsMargins(2, 0, 2, 0);
        if (width > 0)
            pane->setFixedWidth(width);
        else
            pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(text) + 8);
        m_statusBar->addPermanentWidget(pane);
        m_panes.append(pane);
    };
    // Pane 0 is the status bar's own message area.
    m_panes.append(nullptr);
    // As wide as the widest position a text window shows, frame and margins included.
    const QString widestPosition = QStringLiteral(" Ln 999999, Col 99999");
    addPane(ResString(ID_INDICATOR_POSITION),
            m_statusBar->fontMetrics().horizontalAdvance(widestPosition) + 8);
    addPane(QStringLiteral("CAP"), 0);
    addPane(QStringLiteral("NUM"), 0);
    addPane(QStringLiteral("SCRL"), 0);
    addPane(QString(), 80);
    m_statusBar->showMessage(ReadyMessage());
    UpdateIndicators();
}

void CMainFrame::BuildAccelerators() {
    QHash<int, QAction*> byId;
    for (const Accelerator& accel : AcceleratorTable()) {
        QAction*& action = byId[accel.id];
        if (!action) {
            action = CreateCommandAction(accel.id, QString(), this);
            action->setShortcutContext(Qt::WindowShortcut);
            addAction(action);
            m_accelerators.append(action);
        }
        QList<QKeySequence> keys = action->shortcuts();
        keys.append(accel.keys);
        action->setShortcuts(keys);
    }
}

void CMainFrame::UpdateIndicators() {
    const KeyIndicators keys = ReadKeyIndicators();
    // Like the lock-key panes people know: the name shows while the key is on.
    const bool on[] = {keys.capsLock, keys.numLock, keys.scrollLock};
    for (int i = 0; i < 3; ++i) {
        QLabel* pane = m_panes.value(CapsLockPane + i);
        if (pane)
            pane->setEnabled(on[i]);
    }
    UpdateFormatPane();
}

void CMainFrame::UpdateFormatPane() {
    // The person sees which container the active document is written in.
    QLabel* pane = m_panes.value(FormatPane);
    if (!pane)
        return;
    // Shown only with a document, so that the frame's smallest width stays as it was.
    const auto* doc = qobject_cast<const CEncryptedDoc*>(GetActiveDocument());
    pane->setVisible(doc != nullptr);
    if (!doc)
        return;
    const bool strong = doc->DocumentFormat() == FileFormat::Strong;
    pane->setText(strong ? tr("Strong") : tr("Compatible"));
    pane->setToolTip(strong ? tr("Strong encryption: only this program opens the file")
                            : tr("Compatible encryption: every version can open the file"));
}

void CMainFrame::OnNewDocumentEncryption() {
    CNewDocumentFormatDlg dlg(this);
    dlg.m_format = NewDocumentsFormat();
    if (dlg.DoModal() == IDOK)
        SetNewDocumentsFormat(dlg.m_format);
}

void CMainFrame::SetStatusPaneText(int index, const QString& text) {
    if (!m_statusBar)
        return;
    if (index == MessagePane) {
        m_statusBar->showMessage(text);
        return;
    }
    if (QLabel* pane = m_panes.value(index))
        pane->setText(text);
}

QString CMainFrame::GetStatusPaneText(int index) const {
    if (!m_statusBar)
        return QString();
    if (index == MessagePane)
        return m_statusBar->currentMessage();
    QLabel* pane = m_panes.value(index);
    return pane ? pane->text() : QString();
}

void CMainFrame::ApplyStoredPlacement() {
    CEditorApp* app = App();
    const QSize screen = CEditorApp::ScreenSize();
    int x = 100, y = 100;
    int cx = screen.width() / 5 * 3, cy = screen.height() / 5 * 3;
    if (app) {
        int sx = x, sy = y, scx = cx, scy = cy;
        int xScreen = screen.width(), yScreen = screen.height();
        app->ReadWindowPlacement(sx, sy, scx, scy, xScreen, yScreen);
        // Only a placement stored on a screen of this size is used.
        if (xScreen == screen.width() && yScreen == screen.height() && scx > 0 && scy > 0) {
            x = sx;
            y = sy;
            cx = scx;
            cy = scy;
        }
    }
    setGeometry(x, y, cx, cy);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // The screen password first: nothing is activated or asked about while locked.
    if (m_locked && !UnlockForClose()) {
        event->ignore();
        return;
    }
    // The placement is kept even when a document then refuses to close.
    CEditorApp* app = App();
    if (app)
        app->SaveWindowPlacement(this);
    if (isMaximized() || isMinimized() || isFullScreen())
        showNormal();
    // Files handed over during the questions about unsaved documents are refused: the start
    // that sent them then opens them itself instead of losing them with this program.
    if (app)
        app->SetClosing(true);
    CMDIFrameWnd::closeEvent(event);
    if (app && !event->isAccepted())
        app->SetClosing(false);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!m_locked && HasLocalFiles(event->mimeData()))
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    if (m_locked) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    OpenDroppedFiles(event->mimeData());
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return CMDIFrameWnd::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    auto* drop = static_cast<QDropEvent*>(event);
    if (!widget || widget == this || widget->window() != this || !HasLocalFiles(drop->mimeData()))
        return CMDIFrameWnd::eventFilter(watched, event);
    drop->acceptProposedAction();
    if (type == QEvent::Drop)
        OpenDroppedFiles(drop->mimeData());
    return true;
}

void CMainFrame::OpenDroppedFiles(const QMimeData* mime) {
    QStringList paths;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
            paths.append(url.toLocalFile());
    }
    activateWindow();
    // Opened after the drop has ended, the way files from outside open: the program that
    // dragged them is not kept waiting through the password prompts, and a lock falling
    // meanwhile holds the rest.
    if (CEditorApp* app = App())
        app->ReceiveFiles(paths);
}

void CMainFrame::OnHelp() {
    // The help folder is looked for under the current directory, as it always was.
    const QString folder = QDir::current().filePath(QStringLiteral("Help"));
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(QDir(folder).filePath(QStringLiteral("42.html"))));
}

void CMainFrame::OnWebSite() {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(kWebSiteAddress)));
}

void CMainFrame::OnWebBrowser() {
    CEditorApp* app = App();
    if (app && app->m_pBrowserTemplate)
        app->m_pBrowserTemplate->OpenDocumentFile(QString());
}

void CMainFrame::OnFrameTimer() {
    CEditorApp* app = App();
    if (!m_locked && !isMinimized() && app && app->GetLockSettings().lockEnabled() == 1 &&
        IsIdleTimeUp())
        LockWithPrompt();
    m_screenLock->OnTick();
    // However a document window came to the front (also before the frame was shown, as a
    // file named on the command line does), the menu bar follows it.
    SyncMenuToActiveFrame();
    // An open menu counts as activity for as long as it stays open.
    if (qobject_cast<QMenu*>(QApplication::activePopupWidget()))
        StampActivity();
    UpdateIndicators();
}

// ---- Screen lock

void CMainFrame::RequestResume(int commandId) {
    if (!m_screenLock->RequestResume(commandId))
        CActivityHost::RequestResume(commandId);
}

void CMainFrame::LockWithPrompt() {
    m_screenLock->LockWithPrompt();
}

void CMainFrame::LockWithDefaultText() {
    m_screenLock->LockWithDefaultText();
}

bool CMainFrame::UnlockScreen() {
    return m_screenLock->Unlock();
}

bool CMainFrame::UnlockForClose() {
    return m_screenLock->RemoveLock();
}

bool CMainFrame::IsUnlocking() const {
    return m_screenLock->IsUnlocking();
}

QString CMainFrame::ShownCaption() const {
    const QWindow* handle = windowHandle();
    return handle ? handle->title() : windowTitle();
}

void CMainFrame::OnScreenLockOptions() {
    CEditorApp* app = App();
    if (!app)
        return;
    // Only the person who knows the screen password may change it.
    if (!m_screenLock->AskScreenPassword(true))
        return;
    CScreenLockSettingsDlg dlg(app->GetLockSettings(), this);
    if (dlg.DoModal() != IDOK)
        return;
    QString reason;
    if (!app->SaveLockSettings(&reason)) {
        ShowMessageBox(this, QMessageBox::Warning,
                       tr("The screen lock settings were not saved.\n%1").arg(reason));
    }
    m_timeoutSeconds = static_cast<quint32>(
        CEditorApp::TimeoutMinutes(static_cast<int>(app->GetLockSettings().timeoutIndex())) * 60);
}

void CMainFrame::OnWelcome() {
    CWelcomeDlg dlg(this);
    switch (dlg.DoModal()) {
    case CWelcomeDlg::NewDocument:
        RunFileNewCommand(this);
        break;
    case CWelcomeDlg::OpenDocument:
        RunFileOpenCommand(this);
        break;
    default:
        break;
    }
}

void CMainFrame::OnAbout() {
    CAboutDlg dlg(this);
    dlg.DoModal();
}
