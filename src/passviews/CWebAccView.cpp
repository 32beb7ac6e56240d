#include "CWebAccView.h"

#include "CKeystowDoc.h"
#include "CLeftView.h"
#include "resource.h"

CWebAccView::CWebAccView(QWidget* parent) : CAccountForm(QSize(293, 310), parent) {
    using I = Item;
    Build({IDC_WEB_TITLE,
           "Web Account: ",
           QRect(36, 24, 70, 12),
           IDC_WEB_NAME,
           QRect(110, 24, 168, 12),
           IDI_WEB_ACCOUNT,
           {{I::Field, IDC_WEB_ADDRESS, nullptr, QRect(11, 59, 260, 14), UrlRule::FirstWord},
            {I::Field, IDC_WEB_USERID, nullptr, QRect(11, 91, 260, 14), UrlRule::Never},
            {I::SecretField, IDC_WEB_PASSWORD, nullptr, QRect(11, 125, 260, 14)},
            {I::Label, IDC_WEB_ADDRESS_LABEL, "Web Address:", QRect(11, 48, 54, 8)},
            {I::Label, IDC_WEB_USERID_LABEL, "User ID:", QRect(11, 80, 59, 8)},
            {I::Label, IDC_WEB_PASSWORD_LABEL, "Password:", QRect(11, 114, 71, 8)},
            {I::Label, IDC_WEB_NOTES_LABEL, "Notes:", QRect(11, 148, 22, 8)},
            {I::NotesField, IDC_WEB_NOTES, nullptr, QRect(11, 160, 260, 116)}},
           IDC_WEB_ADD_MORE,
           IDC_WEB_DELETE,
           IDC_WEB_SAVE,
           282});
    AddOpenUrlCommand();
}

const QString* CWebAccView::AccountName(int slot) const {
    CKeystowDoc* doc = GetKeystowDoc();
    const WebAccount* record = doc ? doc->Accounts().web.at(slot) : nullptr;
    return record ? &record->name : nullptr;
}

QString* CWebAccView::AccountField(int slot, int controlId) {
    CKeystowDoc* doc = GetKeystowDoc();
    WebAccount* record = doc ? doc->Accounts().web.at(slot) : nullptr;
    if (!record)
        return nullptr;
    switch (controlId) {
    case IDC_WEB_ADDRESS:
        return &record->address;
    case IDC_WEB_USERID:
        return &record->userId;
    case IDC_WEB_PASSWORD:
        return &record->password;
    case IDC_WEB_NOTES:
        return &record->notes;
    default:
        return nullptr;
    }
}

void CWebAccView::SelectOwnCategory() {
    if (CLeftView* tree = GetLeftView())
        tree->SelectWebCategory();
}

void CWebAccView::OnDelete() {
    CAccountForm::OnDelete();
    // This form has always left the document modified after Delete, answered Yes or No.
    if (CKeystowDoc* doc = GetKeystowDoc())
        doc->SetModifiedFlag(true);
}
