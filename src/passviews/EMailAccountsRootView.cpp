#include "EMailAccountsRootView.h"

#include "CLeftView.h"
#include "resource.h"

EMailAccountsRootView::EMailAccountsRootView(QWidget* parent)
    : CAddAccountPage(QSize(235, 150),
                      {IDC_MAIL_ROOT_NAME, IDC_MAIL_ROOT_TITLE, IDC_MAIL_ROOT_CAPTION,
                       IDC_MAIL_ROOT_ADD, IDC_MAIL_ROOT_CANCEL},
                      tr("Add New Email Account:"), tr("Add"), parent) {}

void EMailAccountsRootView::AddAccount(const QString& name) {
    if (CLeftView* tree = GetLeftView())
        tree->AddEmailAccount(name);
}
