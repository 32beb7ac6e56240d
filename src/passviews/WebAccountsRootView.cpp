#include "WebAccountsRootView.h"

#include "CLeftView.h"
#include "resource.h"

WebAccountsRootView::WebAccountsRootView(QWidget* parent)
    : CAddAccountPage(QSize(232, 141),
                      {IDC_WEB_ROOT_NAME, IDC_WEB_ROOT_TITLE, IDC_WEB_ROOT_CAPTION,
                       IDC_WEB_ROOT_ADD, IDC_WEB_ROOT_CANCEL},
                      tr("Add New Web Account:"), tr("&Add"), parent) {
    // This page alone has always had a border.
    ShowBorder();
}

void WebAccountsRootView::AddAccount(const QString& name) {
    if (CLeftView* tree = GetLeftView())
        tree->AddWebAccount(name);
}
