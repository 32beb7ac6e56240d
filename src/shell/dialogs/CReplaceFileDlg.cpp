#include "CReplaceFileDlg.h"

#include "DialogIcons.h"
#include "resource.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CReplaceFileDlg::CReplaceFileDlg(QWidget* parent) : CShellDialog(parent) {
    setWindowTitle(AppCaption());

    auto* icon = new QLabel(this);
    icon->setPixmap(DialogIcon(IDI_SAVE_QUESTION).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    auto* message = new QLabel(tr("The specified file already exists. Replace?"), this);
    message->setWordWrap(true);

    // "Yes" is the dialog's OK, "No" its Cancel.
    QPushButton* yes = AddEndButton(tr("Yes"), IDOK, IDOK);
    yes->setDefault(true);
    QPushButton* no = AddEndButton(tr("No"), IDCANCEL, IDCANCEL);
    AddAnswerKey(Qt::Key_Y, yes);
    AddAnswerKey(Qt::Key_N, no);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(DluX(4));
    top->addWidget(message, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(yes);
    buttons->addWidget(no);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(DluY(6));
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CReplaceFileDlg::OnInitDialog() {
    if (QWidget* yes = GetDlgItem(IDOK))
        yes->setFocus();
}
