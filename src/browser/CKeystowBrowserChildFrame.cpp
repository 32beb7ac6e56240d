#include "CKeystowBrowserChildFrame.h"

#include "BrowserHistory.h"
#include "CAddressBox.h"
#include "CKeystowBrowserView.h"
#include "ResString.h"
#include "resource.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QShortcut>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const char* const kButtonCommand = "keystowButtonCommand";

struct Button {
    int id;
    int textId;
    QStyle::StandardPixmap icon;
};

const Button kButtons[] = {
    {ID_GO_BACK, IDS_GO_BACK, QStyle::SP_ArrowBack},
    {ID_GO_FORWARD, IDS_GO_FORWARD, QStyle::SP_ArrowForward},
    {ID_VIEW_STOP, IDS_VIEW_STOP, QStyle::SP_BrowserStop},
    {ID_VIEW_REFRESH, IDS_VIEW_REFRESH, QStyle::SP_BrowserReload},
    {ID_GO_HOME, IDS_GO_HOME, QStyle::SP_DirHomeIcon},
};

bool IsOwnPage(const QString& url) {
    return url.contains(QLatin1String("res://"), Qt::CaseInsensitive) ||
           url.startsWith(QLatin1String("qrc:"), Qt::CaseInsensitive) ||
           url.startsWith(QLatin1String("chrome-error:"), Qt::CaseInsensitive);
}

} // namespace

CKeystowBrowserChildFrame::CKeystowBrowserChildFrame(QWidget* parent) : CMDIChildWnd(parent) {
    OnCommand(ID_NEXT_PANE, [this] { TogglePane(); });
    OnCommand(ID_PREV_PANE, [this] { TogglePane(); });
}

bool CKeystowBrowserChildFrame::OnCreateClient(CDocument* doc, const ViewFactory& viewFactory) {
    CView* created = viewFactory ? viewFactory() : nullptr;
    m_view = dynamic_cast<CKeystowBrowserView*>(created);
    if (!m_view || !m_view->Pane()) {
        if (m_view)
            QMessageBox::warning(parentWidget(), ResString(IDS_APP_TITLE),
                                 tr("The web browser cannot start: %1").arg(m_view->EngineError()));
        delete created;
        m_view = nullptr;
        return false;
    }

    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("browserBar"));
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(4, 2, 4, 2);
    auto* label = new QLabel(tr("Address: "), bar);
    m_address = new CAddressBox(bar);
    m_address->setObjectName(QStringLiteral("address"));
    label->setBuddy(m_address);
    m_toolBar = new QToolBar(bar);
    m_toolBar->setObjectName(QStringLiteral("browserToolBar"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolBar->setIconSize(QSize(20, 20));
    for (const Button& button : kButtons) {
        QAction* action =
            m_toolBar->addAction(style()->standardIcon(button.icon), ResString(button.textId));
        action->setProperty(kButtonCommand, button.id);
        connect(action, &QAction::triggered, this,
                [this, action] { RunViewCommand(action->property(kButtonCommand).toInt()); });
        m_buttons.append(action);
    }
    barLayout->addWidget(label);
    barLayout->addWidget(m_address, 1);
    barLayout->addWidget(m_toolBar);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_view, 1);
    AttachView(m_view, doc);
    setFocusProxy(m_view);

    BrowserHistory* history = BrowserHistory::Shared();
    m_address->SetEntries(history->Entries());
    connect(history, &BrowserHistory::changed, m_address,
            [this, history] { m_address->SetEntries(history->Entries()); });
    connect(m_address, &CAddressBox::addressEntered, this,
            &CKeystowBrowserChildFrame::OnAddressEntered);
    connect(m_address, &CAddressBox::addressChosen, this,
            &CKeystowBrowserChildFrame::OnAddressChosen);

    // The keys of common browsers, for this window only.
    const auto key = [this](QKeySequence keys, auto action) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, action);
        return shortcut;
    };
    key(QKeySequence(Qt::CTRL | Qt::Key_L), [this] { FocusAddress(); });
    key(QKeySequence(Qt::ALT | Qt::Key_D), [this] { FocusAddress(); });
    key(QKeySequence(Qt::ALT | Qt::Key_Left), [this] { RunViewCommand(ID_GO_BACK); });
    key(QKeySequence(Qt::ALT | Qt::Key_Right), [this] { RunViewCommand(ID_GO_FORWARD); });
    key(QKeySequence(Qt::Key_F5), [this] { RunViewCommand(ID_VIEW_REFRESH); });
    m_stopKey = key(QKeySequence(Qt::Key_Escape), [this] { RunViewCommand(ID_VIEW_STOP); });
    m_stopKey->setEnabled(false);

    EnableBack(false);
    EnableForward(false);
    return true;
}

QLineEdit* CKeystowBrowserChildFrame::AddressField() const {
    return m_address ? m_address->lineEdit() : nullptr;
}

bool CKeystowBrowserChildFrame::AddressHasFocus() const {
    QLineEdit* field = AddressField();
    return (m_address && m_address->hasFocus()) || (field && field->hasFocus());
}

void CKeystowBrowserChildFrame::SetAddressText(const QString& url) {
    if (m_address)
        m_address->setEditText(IsOwnPage(url) ? QString() : url);
}

void CKeystowBrowserChildFrame::EnableBack(bool enable) {
    SetButtonCommand(0, enable ? ID_GO_BACK : ID_BROWSER_UNAVAILABLE);
}

void CKeystowBrowserChildFrame::EnableForward(bool enable) {
    SetButtonCommand(1, enable ? ID_GO_FORWARD : ID_BROWSER_UNAVAILABLE);
}

void CKeystowBrowserChildFrame::SetLoading(bool loading) {
    if (m_stopKey)
        m_stopKey->setEnabled(loading);
    UpdateButtons();
}

int CKeystowBrowserChildFrame::ButtonCommand(int index) const {
    QAction* action = ButtonAction(index);
    return action ? action->property(kButtonCommand).toInt() : 0;
}

QAction* CKeystowBrowserChildFrame::ButtonAction(int index) const {
    return m_buttons.value(index);
}

void CKeystowBrowserChildFrame::SetButtonCommand(int index, int id) {
    if (QAction* action = ButtonAction(index))
        action->setProperty(kButtonCommand, id);
    UpdateButtons();
}

void CKeystowBrowserChildFrame::UpdateButtons() {
    for (QAction* action : m_buttons) {
        const int id = action->property(kButtonCommand).toInt();
        action->setEnabled(m_view && m_view->IsCommandEnabled(id));
    }
}

void CKeystowBrowserChildFrame::RunViewCommand(int id) {
    // Alt+Left and Alt+Right follow the buttons: nothing while they are greyed.
    if (id == ID_GO_BACK && ButtonCommand(0) != ID_GO_BACK)
        return;
    if (id == ID_GO_FORWARD && ButtonCommand(1) != ID_GO_FORWARD)
        return;
    if (m_view && m_view->IsCommandEnabled(id))
        m_view->OnCmdMsg(id);
}

void CKeystowBrowserChildFrame::FocusAddress() {
    if (QLineEdit* field = AddressField()) {
        field->setFocus(Qt::ShortcutFocusReason);
        field->selectAll();
    }
}

void CKeystowBrowserChildFrame::TogglePane() {
    if (AddressHasFocus())
        m_view->setFocus(Qt::OtherFocusReason);
    else
        FocusAddress();
}

void CKeystowBrowserChildFrame::OnAddressEntered(const QString& text) {
    if (text.trimmed().isEmpty() || !m_view)
        return;
    BrowserHistory* history = BrowserHistory::Shared();
    const QString entry = history->AddEntered(text);
    if (entry != text)
        SetAddressText(entry);
    history->SaveToDataFolder();
    // The page gets the text as typed; a bare host name goes to its web site.
    m_view->NavigateTo(text);
}

void CKeystowBrowserChildFrame::OnAddressChosen(const QString& url) {
    if (!m_view)
        return;
    m_view->NavigateTo(url);
    SetAddressText(url);
    m_view->setFocus(Qt::OtherFocusReason);
    BrowserHistory* history = BrowserHistory::Shared();
    history->AddChosen(url);
    history->SaveToDataFolder();
}
