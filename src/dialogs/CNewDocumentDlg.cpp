#include "CNewDocumentDlg.h"

#include "DialogIcons.h"
#include "resource.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CNewDocumentDlg::CNewDocumentDlg(QWidget* parent) : CShellDialog(parent) {
    setWindowTitle(tr("New Document..."));
    SetIdleClose(0, ID_FILE_NEW);

    auto* prompt = new QLabel(tr("Select type of the document:"), this);
    prompt->setAlignment(Qt::AlignCenter);
    QPushButton* passwords =
        AddChoice(IDC_NEW_PASSWORDS_DOCUMENT, IDI_NEWDOC_PASSWORDS,
                  tr("Create new encrypted passwords document"),
                  tr("New Encrypted Passwords Document..."), NewPasswordsDocument);
    QPushButton* text = AddChoice(IDC_NEW_TEXT_DOCUMENT, IDI_NEWDOC_TEXT,
                                  tr("Create new encrypted free-form notepad text document..."),
                                  tr("New Encrypted Text Document..."), NewTextDocument);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(DluX(25), DluY(10), DluX(25), DluY(12));
    layout->setSpacing(DluY(3));
    layout->addWidget(prompt);
    layout->addSpacing(DluY(4));
    layout->addWidget(passwords);
    layout->addWidget(text);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QPushButton* CNewDocumentDlg::AddChoice(int id, int iconId, const QString& text, const QString& tip,
                                        int result) {
    // The caption wraps over two lines, which a plain push button cannot do: the button
    // carries a label of its own.
    QPushButton* button = AddEndButton(QString(), id, result);
    button->setToolTip(tip);
    button->setAccessibleName(text);
    button->setMinimumSize(DluX(133), DluY(29));

    auto* icon = new QLabel(button);
    icon->setPixmap(DialogIcon(iconId).pixmap(32, 32));
    auto* caption = new QLabel(text, button);
    caption->setWordWrap(true);
    caption->setObjectName(QStringLiteral("caption"));
    for (QLabel* label : {icon, caption})
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* layout = new QHBoxLayout(button);
    layout->setContentsMargins(DluX(4), DluY(2), DluX(4), DluY(2));
    layout->addWidget(icon);
    layout->addWidget(caption, 1);
    return button;
}

void CNewDocumentDlg::OnInitDialog() {
    if (QWidget* first = GetDlgItem(IDC_NEW_PASSWORDS_DOCUMENT))
        first->setFocus();
}

void CNewDocumentDlg::closeEvent(QCloseEvent* event) {
    // The close box answers "nothing", as distinct from Esc.
    done(0);
    event->accept();
}
