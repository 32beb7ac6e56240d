#include "CFileChangedDlg.h"

#include "resource.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

static_assert(CFileChangedDlg::kSaveAs == ID_FILE_SAVE_AS, "Save As... carries the command's id");

CFileChangedDlg::CFileChangedDlg(Question question, const QString& path, QWidget* parent)
    : CShellDialog(parent), m_question(question) {
    setWindowTitle(AppCaption());
    const QString name = QFileInfo(path).fileName();
    auto* message = new QLabel(this);
    message->setTextFormat(Qt::PlainText); // a file name is no markup
    message->setWordWrap(true);
    message->setMaximumWidth(DluX(300));
    QList<QPushButton*> buttons;
    QPushButton* safe = nullptr;
    if (question == Question::Overwrite) {
        message->setText(
            tr("%1 was changed by another program after you opened it. Overwrite those changes?")
                .arg(name));
        buttons << AddEndButton(tr("Overwrite"), IDOK, IDOK)
                << AddEndButton(tr("Save As..."), kSaveAs, kSaveAs);
        safe = AddEndButton(tr("Cancel"), IDCANCEL, IDCANCEL);
    } else {
        message->setText(tr("%1 was changed by another program. Reload it?").arg(name));
        buttons << AddEndButton(tr("Yes"), IDYES, IDYES);
        safe = AddEndButton(tr("No"), IDNO, IDNO);
        // Esc, the close box and the lock keep what the window shows.
        SetIdleClose(IDNO);
    }
    buttons << safe;
    // Enter must never write over or throw away anything by accident.
    for (QPushButton* button : buttons)
        button->setAutoDefault(false);
    safe->setDefault(true);
    LayOutMessage(IDI_SAVE_QUESTION, {message}, buttons, 6);
}

void CFileChangedDlg::OnInitDialog() {
    if (QWidget* safe = GetDlgItem(m_question == Question::Overwrite ? IDCANCEL : IDNO))
        safe->setFocus();
}
