#include "CLeftView.h"

#include "AccountOrder.h"
#include "CActivityHost.h"
#include "CCmdUI.h"
#include "CKeystowChildFrame.h"
#include "CKeystowDoc.h"
#include "CMDIFrameWnd.h"
#include "CMailAccView.h"
#include "COtherAccView.h"
#include "CShellDialog.h"
#include "CWebAccView.h"
#include "CWinApp.h"
#include "PassViewImages.h"
#include "ResString.h"
#include "resource.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include <algorithm>
#include <vector>

namespace {
constexpr int kSlotRole = Qt::UserRole;
const QColor kRootColour(0, 0, 155);
const QColor kAccountColour(0, 0, 192);
} // namespace

// The in-place rename: at most 127 characters, and the name is stored only when the editor
// commits (Enter or leaving it); Esc keeps the old name.
class CLeftViewRenameDelegate : public QStyledItemDelegate {
public:
    explicit CLeftViewRenameDelegate(CLeftView* tree) : QStyledItemDelegate(tree), m_tree(tree) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        // A longer name from a file shows whole, so that leaving it unchanged keeps it.
        const int shown = static_cast<int>(index.data().toString().size());
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setMaxLength(qMax(CLeftView::kMaxNameLength, shown));
        return editor;
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        Q_UNUSED(model);
        auto* line = qobject_cast<QLineEdit*>(editor);
        QTreeWidgetItem* item = m_tree->itemFromIndex(index);
        if (line && item)
            m_tree->CommitRename(item, line->text());
    }

private:
    CLeftView* m_tree;
};

CLeftView::CLeftView(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    setMouseTracking(true);
    // Only account items are editable (see NewAccountItem); F2 or a click on the selected
    // account starts the rename.
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setItemDelegate(new CLeftViewRenameDelegate(this));
    connect(this, &QTreeWidget::itemSelectionChanged, this, &CLeftView::OnSelectionChanged);

    OnCommand(ID_ADD_WEB_ACCOUNT, [this] { SelectWebCategory(); });
    OnCommand(ID_ADD_EMAIL_ACCOUNT, [this] { SelectEmailCategory(); });
    OnCommand(ID_ADD_OTHER_ACCOUNT, [this] { SelectOtherCategory(); });
    OnCommand(ID_DELETE_ACCOUNT, [this] { DeleteSelectedAccount(); });
    OnCommand(ID_RENAME_ACCOUNT, [this] { RenameSelectedAccount(); });
}

CLeftView::~CLeftView() = default;

CKeystowDoc* CLeftView::Doc() const {
    return qobject_cast<CKeystowDoc*>(GetDocument());
}

CKeystowChildFrame* CLeftView::Frame() const {
    return dynamic_cast<CKeystowChildFrame*>(const_cast<CLeftView*>(this)->GetParentFrame());
}

void CLeftView::OnInitialUpdate() {
    clear();
    CKeystowDoc* doc = Doc();
    const QString path = doc ? doc->GetPathName() : QString();
    // The root names the file the edits go to, also after Save As under another name.
    if (doc)
        connect(doc, &CDocument::pathNameChanged, this, &CLeftView::OnPathNameChanged,
                Qt::UniqueConnection);

    m_root = new QTreeWidgetItem(QStringList(path.isEmpty() ? tr("Untitled") : path));
    m_root->setIcon(0, PassViewPixmap(IDB_TREE_ROOT));
    QFont bold = font();
    bold.setBold(true);
    m_root->setFont(0, bold);
    m_root->setForeground(0, kRootColour);
    m_root->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    addTopLevelItem(m_root);

    const auto category = [this](const QString& label) {
        auto* item = new QTreeWidgetItem(m_root, QStringList(label));
        item->setIcon(0, PassViewPixmap(IDB_TREE_CATEGORY));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        return item;
    };
    m_web = category(tr("Web Accounts"));
    m_email = category(tr("Email Accounts"));
    m_other = category(tr("Other Accounts"));

    if (doc) {
        // Sorted once and added in bulk: a document with very many accounts still opens fast.
        const AccountOrder order;
        const auto fill = [this, &order](QTreeWidgetItem* parent, const auto& list) {
            std::vector<std::pair<QString, int>> names;
            names.reserve(static_cast<size_t>(list.size()));
            list.enumerate(
                [&names](int slot, const auto& record) { names.emplace_back(record.name, slot); });
            order.Sort(names);
            QList<QTreeWidgetItem*> items;
            items.reserve(static_cast<qsizetype>(names.size()));
            for (const auto& [name, slot] : names)
                items.append(NewAccountItem(parent, name, slot));
            parent->addChildren(items);
            if (!items.isEmpty())
                parent->setExpanded(true);
        };
        fill(m_web, doc->Accounts().web);
        fill(m_email, doc->Accounts().mail);
        fill(m_other, doc->Accounts().other);
    }
    m_root->setExpanded(true);
}

void CLeftView::OnPathNameChanged(const QString& path) {
    if (m_root && !path.isEmpty())
        m_root->setText(0, path);
}

QTreeWidgetItem* CLeftView::NewAccountItem(QTreeWidgetItem* category, const QString& name,
                                           int slot) const {
    auto* item = new QTreeWidgetItem(QStringList(name));
    const int image = category == m_web     ? IDB_TREE_WEB
                      : category == m_email ? IDB_TREE_EMAIL
                                            : IDB_TREE_OTHER;
    item->setIcon(0, PassViewPixmap(image));
    item->setData(0, kSlotRole, slot);
    QFont italic = font();
    italic.setItalic(true);
    item->setFont(0, italic);
    item->setForeground(0, kAccountColour);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    return item;
}

QTreeWidgetItem* CLeftView::InsertAccount(QTreeWidgetItem* category, const QString& name,
                                          int slot) {
    QTreeWidgetItem* item = NewAccountItem(category, name, slot);
    // After the last sibling that does not sort after the name.
    const AccountOrder order;
    int lo = 0;
    int hi = category->childCount();
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (order.Less(name, category->child(mid)->text(0)))
            hi = mid;
        else
            lo = mid + 1;
    }
    category->insertChild(lo, item);
    category->setExpanded(true);
    return item;
}

int CLeftView::SlotOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, kSlotRole).toInt() : -1;
}

CLeftView::ItemKind CLeftView::KindOf(const QTreeWidgetItem* item) const {
    if (!item)
        return ItemKind::None;
    if (item == m_root)
        return ItemKind::Root;
    if (item == m_web)
        return ItemKind::WebCategory;
    if (item == m_email)
        return ItemKind::EmailCategory;
    if (item == m_other)
        return ItemKind::OtherCategory;
    const QTreeWidgetItem* parent = item->parent();
    if (parent && parent == m_web)
        return ItemKind::WebAccount;
    if (parent && parent == m_email)
        return ItemKind::EmailAccount;
    if (parent && parent == m_other)
        return ItemKind::OtherAccount;
    return ItemKind::None;
}

QString* CLeftView::AccountName(ItemKind kind, int slot) const {
    CKeystowDoc* doc = Doc();
    if (!doc)
        return nullptr;
    AccountStore& store = doc->Accounts();
    switch (kind) {
    case ItemKind::WebAccount:
        if (WebAccount* r = store.web.at(slot))
            return &r->name;
        return nullptr;
    case ItemKind::EmailAccount:
        if (MailAccount* r = store.mail.at(slot))
            return &r->name;
        return nullptr;
    case ItemKind::OtherAccount:
        if (OtherAccount* r = store.other.at(slot))
            return &r->name;
        return nullptr;
    default:
        return nullptr;
    }
}

QTreeWidgetItem* CLeftView::SelectedItem() const {
    const QList<QTreeWidgetItem*> items = selectedItems();
    return items.isEmpty() ? nullptr : items.first();
}

void CLeftView::SelectItem(QTreeWidgetItem* item) {
    if (!item)
        return;
    setCurrentItem(item);
    if (!item->isSelected())
        item->setSelected(true);
    scrollToItem(item);
}

void CLeftView::OnSelectionChanged() {
    QTreeWidgetItem* item = SelectedItem();
    CKeystowChildFrame* frame = Frame();
    if (item && frame) {
        const auto showForm = [frame, item](int viewId) {
            if (auto* form = dynamic_cast<CAccountForm*>(frame->GetPaneView(viewId)))
                form->LoadAccount(SlotOf(item));
            frame->ShowPaneView(viewId);
        };
        switch (KindOf(item)) {
        case ItemKind::Root:
            frame->ShowPaneView(frame->blankRootViewId);
            break;
        case ItemKind::WebCategory:
            frame->ShowPaneView(frame->webRootViewId);
            break;
        case ItemKind::EmailCategory:
            frame->ShowPaneView(frame->mailRootViewId);
            break;
        case ItemKind::OtherCategory:
            frame->ShowPaneView(frame->otherRootViewId);
            break;
        case ItemKind::WebAccount:
            showForm(frame->webAccViewId);
            break;
        case ItemKind::EmailAccount:
            showForm(frame->mailAccViewId);
            break;
        case ItemKind::OtherAccount:
            showForm(frame->otherAccViewId);
            break;
        case ItemKind::None:
            break;
        }
    }
    StampActivity();
}

void CLeftView::AddWebAccount(const QString& name) {
    CKeystowDoc* doc = Doc();
    if (!doc || !m_web)
        return;
    const int slot = doc->Accounts().web.append(WebAccount(name));
    SelectItem(InsertAccount(m_web, name, slot));
}

void CLeftView::AddEmailAccount(const QString& name) {
    CKeystowDoc* doc = Doc();
    if (!doc || !m_email)
        return;
    const int slot = doc->Accounts().mail.append(MailAccount(name));
    SelectItem(InsertAccount(m_email, name, slot));
}

void CLeftView::AddOtherAccount(const QString& name) {
    CKeystowDoc* doc = Doc();
    if (!doc || !m_other)
        return;
    const int slot = doc->Accounts().other.append(OtherAccount(name));
    SelectItem(InsertAccount(m_other, name, slot));
}

void CLeftView::DeleteSelectedAccount() {
    QTreeWidgetItem* item = SelectedItem();
    const ItemKind kind = KindOf(item);
    const int slot = SlotOf(item);
    CKeystowDoc* doc = Doc();
    if (!doc || !AccountName(kind, slot))
        return;
    QString question;
    switch (kind) {
    case ItemKind::WebAccount:
        question = tr("Are you sure you want to delete \"%1\" Web Account?");
        break;
    case ItemKind::EmailAccount:
        question = tr("Are you sure you want to delete \"%1\" Email Account?");
        break;
    default:
        question = tr("Are you sure you want to delete \"%1\" Other Account?");
        break;
    }
    const QMessageBox::StandardButton answer =
        QMessageBox::question(this, AppCaption(), question.arg(item->text(0)),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    // The window may have been closed while the question was open.
    if (answer != QMessageBox::Yes || SelectedItem() != item)
        return;
    switch (kind) {
    case ItemKind::WebAccount:
        doc->Accounts().web.remove(slot);
        break;
    case ItemKind::EmailAccount:
        doc->Accounts().mail.remove(slot);
        break;
    default:
        doc->Accounts().other.remove(slot);
        break;
    }
    // The next sibling takes the selection, else the one before, else the category.
    QTreeWidgetItem* parent = item->parent();
    const int index = parent->indexOfChild(item);
    QTreeWidgetItem* next = parent->child(index + 1);
    if (!next)
        next = index > 0 ? parent->child(index - 1) : parent;
    delete item;
    doc->SetModifiedFlag(true);
    SelectItem(next);
}

void CLeftView::SelectWebCategory() {
    SelectItem(m_web);
}

void CLeftView::SelectEmailCategory() {
    SelectItem(m_email);
}

void CLeftView::SelectOtherCategory() {
    SelectItem(m_other);
}

void CLeftView::SelectRootItem() {
    SelectItem(m_root);
}

void CLeftView::RenameSelectedAccount() {
    QTreeWidgetItem* item = SelectedItem();
    if (!AccountName(KindOf(item), SlotOf(item)))
        return;
    scrollToItem(item);
    editItem(item, 0);
}

void CLeftView::CommitRename(QTreeWidgetItem* item, const QString& text) {
    const ItemKind kind = KindOf(item);
    const int slot = SlotOf(item);
    QString* name = AccountName(kind, slot);
    CKeystowDoc* doc = Doc();
    if (!name || !doc)
        return;
    // Nothing changed: the name stays whole, however long, and the document unmodified.
    if (text == *name)
        return;
    *name = text.left(kMaxNameLength);
    // The item keeps its place: the order is only restored when the document opens again.
    item->setText(0, *name);
    if (CKeystowChildFrame* frame = Frame()) {
        const int viewId = kind == ItemKind::WebAccount     ? frame->webAccViewId
                           : kind == ItemKind::EmailAccount ? frame->mailAccViewId
                                                            : frame->otherAccViewId;
        if (auto* form = dynamic_cast<CAccountForm*>(frame->GetPaneView(viewId)))
            form->LoadAccount(slot);
        frame->ShowPaneView(viewId);
    }
    doc->SetModifiedFlag(true);
}

QMenu* CLeftView::CreateContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    // Each item shows its command's picture and status prompt, found by the command id.
    const auto add = [menu](const QString& text, int id) {
        QAction* action = menu->addAction(AccountMenuIcon(id), text);
        action->setData(id);
        action->setStatusTip(ResString(id));
        return action;
    };
    add(tr("Add new Web Account"), ID_ADD_WEB_ACCOUNT);
    add(tr("Add new Email Account"), ID_ADD_EMAIL_ACCOUNT);
    add(tr("Add new Other Account"), ID_ADD_OTHER_ACCOUNT);
    menu->addSeparator();
    if (QTreeWidgetItem* item = SelectedItem()) {
        const ItemKind kind = KindOf(item);
        const bool account = kind == ItemKind::WebAccount || kind == ItemKind::EmailAccount ||
                             kind == ItemKind::OtherAccount;
        add(tr("Delete Selected Account..."), account ? ID_DELETE_ACCOUNT : ID_DELETE_ACCOUNT_OFF);
        menu->addSeparator();
        add(tr("Rename Selected Account"), account ? ID_RENAME_ACCOUNT : ID_RENAME_ACCOUNT_OFF);
    }
    // Commands are enabled as the ordinary routing decides; the greyed ids have no handler.
    CWinApp* app = CWinApp::Current();
    CMDIFrameWnd* main = app ? app->GetMainWnd() : nullptr;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        const int id = action->data().toInt();
        CCmdUI ui(id);
        if (main)
            main->UpdateCmdUI(&ui);
        else if (!OnUpdateCmdUI(&ui))
            ui.Enable(false);
        action->setEnabled(ui.m_enabled);
    }
    return menu;
}

QMenu* CLeftView::OpenContextMenu() const {
    return m_menu.data();
}

void CLeftView::MakeActiveView() {
    if (CKeystowChildFrame* frame = Frame())
        frame->SetActiveView(this);
}

void CLeftView::ShowContextMenu(const QPoint& globalPos) {
    if (m_menu)
        m_menu->close();
    MakeActiveView();
    QMenu* menu = CreateContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator())
            connect(action, &QAction::triggered, this,
                    [this, id = action->data().toInt()] { RunMenuCommand(id); });
    }
    m_menu = menu;
    if (CWinApp* app = CWinApp::Current(); app && app->GetMainWnd())
        app->GetMainWnd()->ShowStatusTipsOf(menu);
    StampActivity();
    menu->popup(globalPos);
}

void CLeftView::RunMenuCommand(int id) {
    StampActivity();
    // The chosen command takes the ordinary route, which starts at the active view: the tree.
    MakeActiveView();
    CWinApp* app = CWinApp::Current();
    CMDIFrameWnd* main = app ? app->GetMainWnd() : nullptr;
    if (main && main->GetActiveView() == this) {
        main->ExecuteCommand(id);
        return;
    }
    OnCmdMsg(id);
}

void CLeftView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        // The menu acts on the selected item, so the click does not move the selection.
        setFocus(Qt::MouseFocusReason);
        ShowContextMenu(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void CLeftView::mouseMoveEvent(QMouseEvent* event) {
    StampActivity();
    QTreeWidget::mouseMoveEvent(event);
}

void CLeftView::contextMenuEvent(QContextMenuEvent* event) {
    // A right click already opened the menu; the menu key opens it at the selected item.
    if (event->reason() == QContextMenuEvent::Keyboard) {
        QTreeWidgetItem* item = SelectedItem();
        const QRect r = item ? visualItemRect(item) : QRect();
        ShowContextMenu(viewport()->mapToGlobal(r.isValid() ? r.center() : QPoint(0, 0)));
    }
    event->accept();
}

void CLeftView::focusInEvent(QFocusEvent* event) {
    MakeActiveView();
    QTreeWidget::focusInEvent(event);
}
