#include "CSaveChangesDlg.h"

#include "DialogIcons.h"
#include "resource.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

CSaveChangesDlg::CSaveChangesDlg(QWidget* parent) : CShellDialog(parent) {
    setWindowTitle(AppCaption());

    auto* icon = new QLabel(this);
    icon->setPixmap(DialogIcon(IDI_SAVE_QUESTION).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
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

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(DluX(4));
    top->addWidget(m_message, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(yes);
    buttons->addWidget(no);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(DluY(6));
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
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
