#include "CNewDocumentFormatDlg.h"

#include "resource.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CNewDocumentFormatDlg::CNewDocumentFormatDlg(QWidget* parent) : CShellDialog(parent) {
    setWindowTitle(tr("Encryption of New Documents"));
    auto* intro = new QLabel(tr("New documents are saved in this format. Each document keeps "
                                "its own format; the password dialog can change it."),
                             this);
    intro->setWordWrap(true);
    m_compatible = new QRadioButton(
        tr("&Compatible: every version and other programs can open the file"), this);
    m_strong = new QRadioButton(
        tr("&Strong encryption: this program only; older versions cannot open the file"), this);
    QPushButton* ok = AddButton(tr("OK"), IDOK);
    ok->setDefault(true);
    QPushButton* cancel = AddEndButton(tr("Cancel"), IDCANCEL, IDCANCEL);
    connect(ok, &QPushButton::clicked, this, [this] {
        m_format = m_strong->isChecked() ? FileFormat::Strong : FileFormat::Compatible;
        done(IDOK);
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_compatible);
    layout->addWidget(m_strong);
    layout->addSpacing(DluY(kFieldGapDlu));
    layout->addLayout(buttons);
    setMinimumWidth(DluX(240));
}

void CNewDocumentFormatDlg::OnInitDialog() {
    QRadioButton* chosen = m_format == FileFormat::Strong ? m_strong : m_compatible;
    chosen->setChecked(true);
    chosen->setFocus();
}
