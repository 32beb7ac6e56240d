#include "CSaveChangesDlg.h"

#include "resource.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>

CSaveChangesDlg::CSaveChangesDlg(QWidget* parent) : CShellDialog(parent) {
    setWindowTitle(AppCaption());

    m_message = new QLabel(tr("Save changes?"), this);
    SetControlId(m_message, IDC_SAVE_CHANGES_TEXT);
    m_message->setWordWrap(true);
    m_message->setTextFormat(Qt::PlainText);
    m_message->setMaximumWidth(DluX(300));

    QPushButton* yes = AddEndButton(tr("Yes"), IDYES, IDYES);
    yes->setDefault(true);
    QPushButton* no = AddEndButton(tr("No"), IDNO, IDNO);
    AddAnswerKey(Qt::Key_Y, yes);
    AddAnswerKey(Qt::Key_N, no);
    QPushButton* cancel = AddEndButton(tr("Cancel"), IDCANCEL, IDCANCEL);

    LayOutMessage(IDI_SAVE_QUESTION, {m_message}, {yes, no, cancel}, 6);
}

QString CSaveChangesDlg::ShortName(const QString& path) {
    const int last =
        std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    if (last > 0 && last < path.size() - 1)
        return path.mid(last + 1);
    return path;
}

void CSaveChangesDlg::OnInitDialog() {
    m_fileName = ShortName(m_fileName);
    m_message->setText(tr("Save changes to %1?").arg(m_fileName));
    if (QWidget* yes = GetDlgItem(IDYES))
        yes->setFocus();
}
