#include "OtherAccountsRootView.h"

#include "CLeftView.h"
#include "resource.h"

OtherAccountsRootView::OtherAccountsRootView(QWidget* parent)
    : CAddAccountPage(QSize(234, 149),
                      {IDC_OTHER_ROOT_NAME, IDC_OTHER_ROOT_TITLE, IDC_OTHER_ROOT_CAPTION,
                       IDC_OTHER_ROOT_ADD, IDC_OTHER_ROOT_CANCEL},
                      tr("Add Other Account:"), tr("&Add"), parent) {}

void OtherAccountsRootView::AddAccount(const QString& name) {
    if (CLeftView* tree = GetLeftView())
        tree->AddOtherAccount(name);
}
