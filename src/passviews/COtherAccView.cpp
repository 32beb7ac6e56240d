#include "COtherAccView.h"

#include "CKeystowDoc.h"
#include "CLeftView.h"
#include "resource.h"

COtherAccView::COtherAccView(QWidget* parent) : CAccountForm(QSize(290, 309), parent) {
    using I = Item;
    Build({IDC_OTHER_TITLE,
           "Account: ",
           QRect(36, 24, 70, 12),
           IDC_OTHER_NAME,
           QRect(110, 24, 168, 12),
           IDI_OTHER_ACCOUNT,
           {{I::Field, IDC_OTHER_DESCRIPTION, nullptr, QRect(11, 59, 260, 14)},
            {I::SecretField, IDC_OTHER_PIN, nullptr, QRect(11, 91, 260, 14)},
            {I::Label, IDC_OTHER_DESCRIPTION_LABEL,
             "Description (Credit Card No, Bank Account, Location, etc.): ", QRect(11, 48, 203, 8)},
            {I::Label, IDC_OTHER_PIN_LABEL,
             "PIN (Pass Code, Key, Password, etc.):", QRect(11, 80, 136, 8)},
            {I::Label, IDC_OTHER_NOTES_LABEL, "Notes:", QRect(11, 111, 22, 8)},
            {I::NotesField, IDC_OTHER_NOTES, nullptr, QRect(11, 123, 260, 152)}},
           IDC_OTHER_ADD_MORE,
           IDC_OTHER_DELETE,
           IDC_OTHER_SAVE,
           281});
    // No Open URL here: the command stays greyed while this form is active.
}

const QString* COtherAccView::AccountName(int slot) const {
    CKeystowDoc* doc = GetKeystowDoc();
    const OtherAccount* record = doc ? doc->Accounts().other.at(slot) : nullptr;
    return record ? &record->name : nullptr;
}

QString* COtherAccView::AccountField(int slot, int controlId) {
    CKeystowDoc* doc = GetKeystowDoc();
    OtherAccount* record = doc ? doc->Accounts().other.at(slot) : nullptr;
    if (!record)
        return nullptr;
    switch (controlId) {
    case IDC_OTHER_DESCRIPTION:
        return &record->description;
    case IDC_OTHER_PIN:
        return &record->pin;
    case IDC_OTHER_NOTES:
        return &record->notes;
    default:
        return nullptr;
    }
}

void COtherAccView::SelectOwnCategory() {
    if (CLeftView* tree = GetLeftView())
        tree->SelectOtherCategory();
}
