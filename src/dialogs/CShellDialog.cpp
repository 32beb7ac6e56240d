#include "CShellDialog.h"

#include "DialogIcons.h"
#include "ResString.h"
#include "resource.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
QString ControlName(int id) {
    return QStringLiteral("ctl%1").arg(id);
}
} // namespace

QString AppCaption() {
    return ResString(IDS_APP_TITLE);
}

QMessageBox::StandardButton ShowMessageBox(QWidget* parent, QMessageBox::Icon icon,
                                           const QString& text,
                                           QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, AppCaption(), text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    // The box sizes itself to its text; a spacer keeps room for the caption and the title
    // bar's buttons too.
    const int captionWidth = box.fontMetrics().horizontalAdvance(AppCaption()) * 3 / 2 + 96;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(captionWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

CShellDialog::CShellDialog(QWidget* parent) : CModalDialog(parent) {
    // A caption with a close box and nothing else: these dialogs neither shrink nor grow.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
}

int CShellDialog::DoModal() {
    return exec();
}

QWidget* CShellDialog::GetDlgItem(int id) const {
    return findChild<QWidget*>(ControlName(id));
}

void CShellDialog::showEvent(QShowEvent* event) {
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    CModalDialog::showEvent(event);
}

void CShellDialog::SetControlId(QWidget* widget, int id) {
    widget->setObjectName(ControlName(id));
    widget->setProperty("controlId", id);
}

int CShellDialog::DluX(int units) const {
    return units * fontMetrics().averageCharWidth() / 4;
}

int CShellDialog::DluY(int units) const {
    return units * fontMetrics().height() / 8;
}

QPushButton* CShellDialog::AddButton(const QString& text, int id) {
    auto* button = new QPushButton(text, this);
    SetControlId(button, id);
    button->setMinimumWidth(DluX(kButtonWidthDlu));
    return button;
}

QPushButton* CShellDialog::AddEndButton(const QString& text, int id, int result) {
    QPushButton* button = AddButton(text, id);
    connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
    return button;
}

void CShellDialog::AddAnswerKey(Qt::Key key, QPushButton* button) {
    for (const QKeySequence& sequence : {QKeySequence(key), QKeySequence(Qt::ALT | key)}) {
        auto* shortcut = new QShortcut(sequence, this);
        connect(shortcut, &QShortcut::activated, button, &QPushButton::click);
    }
}

void CShellDialog::LayOutMessage(int iconId, const QList<QWidget*>& texts,
                                 const QList<QPushButton*>& buttons, int gapDlu) {
    auto* icon = new QLabel(this);
    icon->setPixmap(DialogIcon(iconId).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    auto* textColumn = new QVBoxLayout;
    for (QWidget* text : texts)
        textColumn->addWidget(text);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(DluX(kIconGapDlu));
    top->addLayout(textColumn, 1);
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* button : buttons)
        row->addWidget(button);
    row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(DluY(gapDlu));
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
