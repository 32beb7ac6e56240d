#include "CMailAccView.h"

#include "CKeystowDoc.h"
#include "CLeftView.h"
#include "resource.h"

CMailAccView::CMailAccView(QWidget* parent) : CAccountForm(QSize(291, 342), parent) {
    using I = Item;
    Build({IDC_MAIL_TITLE,
           "Email Account: ",
           QRect(36, 24, 76, 12),
           IDC_MAIL_NAME,
           QRect(119, 24, 149, 12),
           IDI_EMAIL_ACCOUNT,
           {{I::Field, IDC_MAIL_ADDRESS, nullptr, QRect(11, 59, 260, 14)},
            {I::Field, IDC_MAIL_USERID, nullptr, QRect(11, 122, 260, 14), UrlRule::Never},
            {I::SecretField, IDC_MAIL_PASSWORD, nullptr, QRect(11, 152, 260, 14)},
            {I::Label, IDC_MAIL_ADDRESS_LABEL, "Mail Address:", QRect(11, 48, 54, 8)},
            {I::Label, IDC_MAIL_USERID_LABEL, "User ID:", QRect(11, 110, 59, 8)},
            {I::Label, IDC_MAIL_PASSWORD_LABEL, "Password:", QRect(11, 141, 71, 8)},
            {I::Label, IDC_MAIL_NOTES_LABEL, "Notes:", QRect(11, 234, 22, 8)},
            {I::NotesField, IDC_MAIL_NOTES, nullptr, QRect(11, 246, 260, 62)},
            {I::Label, IDC_MAIL_SMTP_LABEL, "SMTP Server:", QRect(11, 171, 82, 8)},
            {I::Field, IDC_MAIL_SMTP, nullptr, QRect(11, 183, 260, 14)},
            {I::Label, IDC_MAIL_POP_LABEL, "POP Server:", QRect(11, 202, 66, 8)},
            {I::Field, IDC_MAIL_POP, nullptr, QRect(11, 214, 260, 14)},
            {I::Field, IDC_MAIL_WEBMAIL, nullptr, QRect(11, 90, 260, 14), UrlRule::FirstWord},
            {I::Label, IDC_MAIL_WEBMAIL_LABEL, "WebMail Interface:", QRect(11, 79, 65, 8)}},
           IDC_MAIL_ADD_MORE,
           IDC_MAIL_DELETE,
           IDC_MAIL_SAVE,
           312});
    AddOpenUrlCommand();
}

const QString* CMailAccView::AccountName(int slot) const {
    CKeystowDoc* doc = GetKeystowDoc();
    const MailAccount* record = doc ? doc->Accounts().mail.at(slot) : nullptr;
    return record ? &record->name : nullptr;
}

QString* CMailAccView::AccountField(int slot, int controlId) {
    CKeystowDoc* doc = GetKeystowDoc();
    MailAccount* record = doc ? doc->Accounts().mail.at(slot) : nullptr;
    if (!record)
        return nullptr;
    switch (controlId) {
    case IDC_MAIL_ADDRESS:
        return &record->address;
    case IDC_MAIL_WEBMAIL:
        return &record->webInterface;
    case IDC_MAIL_USERID:
        return &record->userId;
    case IDC_MAIL_PASSWORD:
        return &record->password;
    case IDC_MAIL_SMTP:
        return &record->smtpServer;
    case IDC_MAIL_POP:
        return &record->popServer;
    case IDC_MAIL_NOTES:
        return &record->notes;
    default:
        return nullptr;
    }
}

void CMailAccView::SelectOwnCategory() {
    if (CLeftView* tree = GetLeftView())
        tree->SelectEmailCategory();
}
