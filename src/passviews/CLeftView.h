#pragma once

#include "CView.h"

#include <QPointer>
#include <QString>
#include <QTreeWidget>

class CKeystowChildFrame;
class CKeystowDoc;
class QMenu;

// The account tree of a passwords window: the document's path as root, the categories Web,
// Email and Other in that order, and each category's accounts sorted by name. The selected item
// chooses the right-pane view and the account the forms show. Accounts are added, deleted and
// renamed here, keeping the tree, the document's lists and its modified flag in step.
class CLeftView : public QTreeWidget, public CView {
    Q_OBJECT
public:
    // What an item of the tree stands for.
    enum class ItemKind {
        None,
        Root,
        WebCategory,
        EmailCategory,
        OtherCategory,
        WebAccount,
        EmailAccount,
        OtherAccount
    };

    explicit CLeftView(QWidget* parent = nullptr);
    ~CLeftView() override;

    // Fills the tree from the document; nothing is selected afterwards.
    void OnInitialUpdate() override;

    // Create an account with that name (used as given), insert it at its sorted place and
    // select it. The caller marks the document modified.
    void AddWebAccount(const QString& name);
    void AddEmailAccount(const QString& name);
    void AddOtherAccount(const QString& name);
    // Asks, then deletes the selected account; anything else selected does nothing.
    void DeleteSelectedAccount();
    void SelectWebCategory();
    void SelectEmailCategory();
    void SelectOtherCategory();
    void SelectRootItem();
    // Starts the in-place rename of the selected account.
    void RenameSelectedAccount();

    QTreeWidgetItem* RootItem() const { return m_root; }
    QTreeWidgetItem* WebItem() const { return m_web; }
    QTreeWidgetItem* EmailItem() const { return m_email; }
    QTreeWidgetItem* OtherItem() const { return m_other; }

    QTreeWidgetItem* SelectedItem() const;
    ItemKind KindOf(const QTreeWidgetItem* item) const;
    // The list slot of an account item.
    static int SlotOf(const QTreeWidgetItem* item);

    // The context menu for the selected item; each action carries its command id in data().
    QMenu* CreateContextMenu(QWidget* parent);
    // The menu last opened by a right click, while it is open.
    QMenu* OpenContextMenu() const;

    // Longest name the in-place editor accepts.
    static constexpr int kMaxNameLength = 127;

    // Stores a name typed in place for the item (called when the in-place editor commits).
    void CommitRename(QTreeWidgetItem* item, const QString& text);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    friend class CLeftViewRenameDelegate;
    CKeystowDoc* Doc() const;
    CKeystowChildFrame* Frame() const;
    void MakeActiveView();
    void OnSelectionChanged();
    void OnPathNameChanged(const QString& path);
    void ShowContextMenu(const QPoint& globalPos);
    void RunMenuCommand(int id);
    // Inserts an account item at its sorted place among the category's children.
    QTreeWidgetItem* InsertAccount(QTreeWidgetItem* category, const QString& name, int slot);
    QTreeWidgetItem* NewAccountItem(QTreeWidgetItem* category, const QString& name, int slot) const;
    void SelectItem(QTreeWidgetItem* item);
    QString* AccountName(ItemKind kind, int slot) const;

    QTreeWidgetItem* m_root = nullptr;
    QTreeWidgetItem* m_web = nullptr;
    QTreeWidgetItem* m_email = nullptr;
    QTreeWidgetItem* m_other = nullptr;
    QPointer<QMenu> m_menu;
};
