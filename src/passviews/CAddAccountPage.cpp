#include "CAddAccountPage.h"

#include "CActivityHost.h"
#include "CEditEx.h"
#include "CKeystowDoc.h"
#include "CLeftView.h"
#include "resource.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CAddAccountPage::CAddAccountPage(QSize designDlu, const Ids& ids, const QString& title,
                                 const QString& addText, QWidget* parent)
    : CPassFormView(designDlu, parent) {
    const QString face = QStringLiteral("Times New Roman");
    const QColor blue(0, 0, 192);
    CEditEx* name = AddLineEdit(ids.name, QRect(5, 58, 203, 14));
    StyleEdit(name, -15);
    m_nameBox = qobject_cast<QLineEdit*>(name->Widget());
    // As long as the tree's rename accepts.
    m_nameBox->setMaxLength(CLeftView::kMaxNameLength);
    StyleLabel(AddLabel(ids.title, title, QRect(5, 24, 205, 12)), face, 17, blue);
    StyleLabel(AddLabel(ids.caption, tr("Account Name:"), QRect(5, 46, 50, 8)), face, 12, blue);
    m_add = AddButton(ids.add, addText, QRect(5, 77, 50, 16), IDI_ADD);
    m_cancel = AddButton(ids.cancel, tr("&Cancel"), QRect(59, 77, 55, 16), IDI_DELETE);
    m_add->setEnabled(false);

    m_layout.Attach(Surface(), DesignSize());
    m_layout.AddControl(m_nameBox, CAnchorLayout::StretchWidth);
    AddEditCommands();

    connect(m_nameBox, &QLineEdit::textChanged, this, [this] { OnNameChanged(); });
    // Enter adds, as the Add button would.
    connect(m_nameBox, &QLineEdit::returnPressed, this, [this] {
        if (m_add->isEnabled())
            OnAdd();
    });
    connect(m_add, &QPushButton::clicked, this, [this] { OnAdd(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
}

void CAddAccountPage::OnNameChanged() {
    m_add->setEnabled(!m_nameBox->text().isEmpty());
    StampActivity();
    // Every change of the box counts as a change of the document, clearing included.
    if (CKeystowDoc* doc = GetKeystowDoc())
        doc->SetModifiedFlag(true);
}

void CAddAccountPage::OnAdd() {
    const QString name = m_nameBox->text();
    if (name.isEmpty())
        return;
    AddAccount(name);
    m_nameBox->clear();
    StampActivity();
    if (CKeystowDoc* doc = GetKeystowDoc())
        doc->SetModifiedFlag(true);
}

void CAddAccountPage::OnCancel() {
    // Clearing counts as a change even when the box was already empty.
    if (m_nameBox->text().isEmpty())
        OnNameChanged();
    else
        m_nameBox->clear();
    if (CLeftView* tree = GetLeftView())
        tree->SelectRootItem();
    StampActivity();
}
