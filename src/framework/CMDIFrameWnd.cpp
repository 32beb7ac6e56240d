#include "CMDIFrameWnd.h"

#include "CCmdUI.h"
#include "CDocManager.h"
#include "CDocument.h"
#include "CMDIChildWnd.h"
#include "CView.h"
#include "CWinApp.h"
#include "resource.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QShortcut>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace {
const char* const kCommandIdProperty = "keystowCommandId";
}

CMDIFrameWnd::CMDIFrameWnd(QWidget* parent)
    : QMainWindow(parent), m_mdiArea(new QMdiArea(this)), m_idleUpdate(new QTimer(this)) {
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdiArea);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &CMDIFrameWnd::OnSubWindowActivated);
    connect(qApp, &QApplication::focusChanged, this, &CMDIFrameWnd::OnFocusChanged);

    m_idleUpdate->setInterval(250);
    connect(m_idleUpdate, &QTimer::timeout, this, [this] { UpdateCommandActions(); });
    m_idleUpdate->start();

    // The keys document windows have always answered to: Ctrl+F4 closes the active one (asking
    // to save as any close does), Ctrl+F6 and Ctrl+Shift+F6 go to the next and previous.
    const auto addKey = [this](QKeyCombination key, auto action) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, m_mdiArea, action);
    };
    addKey(Qt::CTRL | Qt::Key_F4, [this] {
        if (QMdiSubWindow* sub = m_mdiArea->activeSubWindow())
            sub->close();
    });
    addKey(Qt::CTRL | Qt::Key_F6, [this] { m_mdiArea->activateNextSubWindow(); });
    addKey(Qt::CTRL | Qt::SHIFT | Qt::Key_F6, [this] { m_mdiArea->activatePreviousSubWindow(); });

    OnCommand(ID_WINDOW_CASCADE, [this] { CascadeWindows(); });
    OnCommand(ID_WINDOW_TILE_HORZ, [this] { m_mdiArea->tileSubWindows(); });
    OnCommand(ID_WINDOW_ARRANGE, [this] {
        // Minimised windows line up along the bottom edge.
        const QList<QMdiSubWindow*> subs = m_mdiArea->subWindowList();
        int x = 0;
        for (QMdiSubWindow* sub : subs) {
            if (!sub->isMinimized())
                continue;
            sub->move(x, m_mdiArea->viewport()->height() - sub->height());
            x += sub->width();
        }
    });
    for (int id : {ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ, ID_WINDOW_ARRANGE})
        OnUpdateCommand(id, [this](CCmdUI* ui) { ui->Enable(MDIGetActive() != nullptr); });

    if (CWinApp* app = CWinApp::Current()) {
        if (!app->GetMainWnd())
            app->SetMainWnd(this);
    }
}

CMDIFrameWnd::~CMDIFrameWnd() {
    disconnect(qApp, &QApplication::focusChanged, this, &CMDIFrameWnd::OnFocusChanged);
    if (CWinApp* app = CWinApp::Current()) {
        if (app->GetMainWnd() == this)
            app->SetMainWnd(nullptr);
    }
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive() const {
    QMdiSubWindow* sub = m_mdiArea->currentSubWindow();
    // A window still being opened (its document asking for a password) is not shown yet and
    // takes no commands. The area itself may be hidden (by a screen lock): its windows count.
    if (sub && !sub->isVisibleTo(m_mdiArea))
        sub = nullptr;
    if (!sub) {
        // While a dialog has the focus the area reports none; the front window still counts.
        const QList<QMdiSubWindow*> subs = m_mdiArea->subWindowList(QMdiArea::StackingOrder);
        for (auto it = subs.rbegin(); it != subs.rend(); ++it) {
            if ((*it)->isVisibleTo(m_mdiArea)) {
                sub = *it;
                break;
            }
        }
    }
    auto* frame = sub ? qobject_cast<CMDIChildWnd*>(sub->widget()) : nullptr;
    return frame && !frame->IsClosingFrame() ? frame : nullptr;
}

CDocument* CMDIFrameWnd::GetActiveDocument() const {
    CMDIChildWnd* frame = MDIGetActive();
    return frame ? frame->GetActiveDocument() : nullptr;
}

CView* CMDIFrameWnd::GetActiveView() const {
    CMDIChildWnd* frame = MDIGetActive();
    return frame ? frame->GetActiveView() : nullptr;
}

QList<CCmdTarget*> CMDIFrameWnd::GetRoutingTargets() const {
    QList<CCmdTarget*> targets;
    if (CMDIChildWnd* frame = MDIGetActive()) {
        if (CView* view = frame->GetActiveView())
            targets.append(view);
        if (CDocument* doc = frame->GetActiveDocument())
            targets.append(doc);
        targets.append(frame);
    }
    targets.append(const_cast<CMDIFrameWnd*>(this));
    if (CWinApp* app = CWinApp::Current())
        targets.append(app);
    return targets;
}

void CMDIFrameWnd::UpdateCmdUI(CCmdUI* ui) const {
    if (!CommandsAllowed()) {
        ui->Enable(false);
        return;
    }
    for (CCmdTarget* target : GetRoutingTargets()) {
        if (target->OnUpdateCmdUI(ui))
            return;
    }
    ui->Enable(false);
}

bool CMDIFrameWnd::ExecuteCommand(int id) {
    CCmdUI ui(id);
    UpdateCmdUI(&ui);
    if (!ui.m_enabled)
        return false;
    for (CCmdTarget* target : GetRoutingTargets()) {
        if (target->OnCmdMsg(id))
            return true;
    }
    return false;
}

QAction* CMDIFrameWnd::CreateCommandAction(int id, const QString& text, QObject* parent) {
    auto* action = new QAction(text, parent ? parent : this);
    action->setProperty(kCommandIdProperty, id);
    connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
    m_commandActions.append(action);
    return action;
}

int CMDIFrameWnd::CommandId(const QAction* action) {
    return action ? action->property(kCommandIdProperty).toInt() : 0;
}

void CMDIFrameWnd::UpdateCommandActions(const QList<QAction*>& actions) {
    QList<QAction*> list = actions;
    if (list.isEmpty()) {
        m_commandActions.removeAll(QPointer<QAction>());
        for (const QPointer<QAction>& action : m_commandActions)
            list.append(action.data());
    }
    for (QAction* action : list) {
        const int id = CommandId(action);
        if (id == 0)
            continue;
        CCmdUI ui(id);
        UpdateCmdUI(&ui);
        action->setEnabled(ui.m_enabled);
        if (action->isCheckable())
            action->setChecked(ui.m_checked);
        if (ui.m_textSet)
            action->setText(ui.m_text);
    }
}

void CMDIFrameWnd::WatchMenu(QMenu* menu) {
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        OnMenuAboutToShow(menu);
        UpdateCommandActions(menu->actions());
    });
}

void CMDIFrameWnd::ShowStatusTipsOf(QMenu* menu) {
    const auto tell = [this](const QString& text) {
        QStatusTipEvent tip(text);
        QCoreApplication::sendEvent(this, &tip);
    };
    connect(menu, &QMenu::hovered, this, [tell](QAction* action) { tell(action->statusTip()); });
    connect(menu, &QMenu::aboutToHide, this, [tell] { tell(QString()); });
}

void CMDIFrameWnd::OnMenuAboutToShow(QMenu* menu) {
    Q_UNUSED(menu);
}

void CMDIFrameWnd::SetStatusPaneText(int index, const QString& text) {
    Q_UNUSED(index);
    Q_UNUSED(text);
}

void CMDIFrameWnd::PlaceCascaded(QMdiArea* area, QMdiSubWindow* sub, qsizetype index) {
    const QSize room = area->viewport()->size();
    sub->resize(qMax(room.width() * 3 / 4, 320), qMax(room.height() * 3 / 4, 200));
    const int step = qMax(sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub), 20);
    const int fit = qMax(
        1, qMin((room.width() - sub->width()) / step, (room.height() - sub->height()) / step) + 1);
    const int slot = static_cast<int>(qMax<qsizetype>(index, 0) % fit);
    sub->move(slot * step, slot * step);
}

void CMDIFrameWnd::CascadeWindows() {
    QMdiSubWindow* active = m_mdiArea->activeSubWindow();
    qsizetype place = 0;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (sub->isMinimized() || !sub->isVisible())
            continue;
        if (sub->isMaximized())
            sub->showNormal();
        PlaceCascaded(m_mdiArea, sub, place++);
        sub->raise();
    }
    if (active && !active->isMinimized()) {
        active->raise();
        m_mdiArea->setActiveSubWindow(active);
    }
}

bool CMDIFrameWnd::HasLocalFiles(const QMimeData* mime) {
    if (!mime || !mime->hasUrls())
        return false;
    const QList<QUrl> urls = mime->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

void CMDIFrameWnd::SetIdleUpdateInterval(int ms) {
    m_idleUpdate->setInterval(ms);
}

void CMDIFrameWnd::closeEvent(QCloseEvent* event) {
    CWinApp* app = CWinApp::Current();
    CDocManager* manager = app ? app->GetDocManager() : nullptr;
    if (manager) {
        if (!manager->SaveAllModified()) {
            event->ignore();
            return;
        }
        manager->CloseAllDocuments();
    }
    event->accept();
}

bool CMDIFrameWnd::event(QEvent* event) {
    // The program comes back to the front, from another program or from one of its dialogs.
    if (event->type() == QEvent::WindowActivate)
        NotifyActiveDocument();
    return QMainWindow::event(event);
}

void CMDIFrameWnd::OnSubWindowActivated(QMdiSubWindow* sub) {
    Q_UNUSED(sub);
    emit activeFrameChanged(MDIGetActive());
    if (isActiveWindow())
        NotifyActiveDocument();
}

void CMDIFrameWnd::NotifyActiveDocument() {
    if (CDocument* doc = GetActiveDocument())
        doc->OnFrameActivated();
}

void CMDIFrameWnd::OnFocusChanged(QWidget* old, QWidget* now) {
    Q_UNUSED(old);
    CView* view = CView::FromWidget(now);
    if (!view)
        return;
    if (CMDIChildWnd* frame = view->GetParentFrame())
        frame->SetActiveView(view);
}
