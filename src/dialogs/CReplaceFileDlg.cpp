#include "CReplaceFileDlg.h"

#include "resource.h"

#include <QLabel>
#include <QPushButton>

CReplaceFileDlg::CReplaceFileDlg(QWidget* parent) : CShellDialog(parent) {
    setWindowTitle(AppCaption());

    auto* message = new QLabel(tr("The specified file already exists. Replace?"), this);
    message->setWordWrap(true);

    // "Yes" is the dialog's OK, "No" its Cancel.
    QPushButton* yes = AddEndButton(tr("Yes"), IDOK, IDOK);
    yes->setDefault(true);
    QPushButton* no = AddEndButton(tr("No"), IDCANCEL, IDCANCEL);
    AddAnswerKey(Qt::Key_Y, yes);
    AddAnswerKey(Qt::Key_N, no);

    LayOutMessage(IDI_SAVE_QUESTION, {message}, {yes, no}, 6);
}

void CReplaceFileDlg::OnInitDialog() {
    if (QWidget* yes = GetDlgItem(IDOK))
        yes->setFocus();
}
