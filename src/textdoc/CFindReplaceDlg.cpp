#include "CFindReplaceDlg.h"

#include "CActivityHost.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CFindReplaceDlg::CFindReplaceDlg(bool replaceMode, QWidget* parent)
    : QDialog(parent), m_replaceMode(replaceMode) {
    setWindowTitle(replaceMode ? tr("Replace") : tr("Find"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* fields = new QGridLayout;
    m_findWhat = new QLineEdit;
    auto* findLabel = new QLabel(tr("Fi&nd what:"));
    findLabel->setBuddy(m_findWhat);
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(m_findWhat, 0, 1);
    if (replaceMode) {
        m_replaceWith = new QLineEdit;
        auto* replaceLabel = new QLabel(tr("Re&place with:"));
        replaceLabel->setBuddy(m_replaceWith);
        fields->addWidget(replaceLabel, 1, 0);
        fields->addWidget(m_replaceWith, 1, 1);
    }

    m_wholeWord = new QCheckBox(tr("Match &whole word only"));
    m_matchCase = new QCheckBox(tr("Match &case"));
    auto* options = new QHBoxLayout;
    auto* checks = new QVBoxLayout;
    checks->addWidget(m_wholeWord);
    checks->addWidget(m_matchCase);
    checks->addStretch();
    options->addLayout(checks);
    if (!replaceMode) {
        auto* direction = new QGroupBox(tr("Direction"));
        m_up = new QRadioButton(tr("&Up"));
        m_down = new QRadioButton(tr("&Down"));
        m_down->setChecked(true);
        auto* dirLayout = new QHBoxLayout(direction);
        dirLayout->addWidget(m_up);
        dirLayout->addWidget(m_down);
        options->addWidget(direction);
    }

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(options);

    auto* buttons = new QVBoxLayout;
    m_findNext = new QPushButton(tr("&Find Next"));
    m_findNext->setDefault(true);
    buttons->addWidget(m_findNext);
    connect(m_findNext, &QPushButton::clicked, this, &CFindReplaceDlg::FindNextRequested);
    if (replaceMode) {
        m_replace = new QPushButton(tr("&Replace"));
        m_replaceAll = new QPushButton(tr("Replace &All"));
        buttons->addWidget(m_replace);
        buttons->addWidget(m_replaceAll);
        connect(m_replace, &QPushButton::clicked, this, &CFindReplaceDlg::ReplaceRequested);
        connect(m_replaceAll, &QPushButton::clicked, this, &CFindReplaceDlg::ReplaceAllRequested);
    }
    auto* cancel = new QPushButton(tr("Cancel"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(cancel);
    buttons->addStretch();

    auto* top = new QHBoxLayout(this);
    top->addLayout(left, 1);
    top->addLayout(buttons);

    // Typing here is activity too, so the screen lock does not fall while someone searches.
    connect(m_findWhat, &QLineEdit::textChanged, this, [this] {
        StampActivity();
        UpdateButtons();
    });
    if (m_replaceWith)
        connect(m_replaceWith, &QLineEdit::textChanged, this, [] { StampActivity(); });
    UpdateButtons();
}

QString CFindReplaceDlg::FindWhat() const {
    return m_findWhat->text();
}
QString CFindReplaceDlg::ReplaceWith() const {
    return m_replaceWith ? m_replaceWith->text() : QString();
}
bool CFindReplaceDlg::MatchCase() const {
    return m_matchCase->isChecked();
}
bool CFindReplaceDlg::MatchWholeWord() const {
    return m_wholeWord->isChecked();
}
// Replacing always runs forwards.
bool CFindReplaceDlg::SearchDown() const {
    return !m_up || !m_up->isChecked();
}

void CFindReplaceDlg::SetFindWhat(const QString& text) {
    m_findWhat->setText(text);
    m_findWhat->selectAll();
}

void CFindReplaceDlg::SetReplaceWith(const QString& text) {
    if (m_replaceWith)
        m_replaceWith->setText(text);
}

void CFindReplaceDlg::SetOptions(bool matchCase, bool wholeWord, bool searchDown) {
    m_matchCase->setChecked(matchCase);
    m_wholeWord->setChecked(wholeWord);
    if (m_up) {
        m_up->setChecked(!searchDown);
        m_down->setChecked(searchDown);
    }
}

void CFindReplaceDlg::UpdateButtons() {
    const bool any = !m_findWhat->text().isEmpty();
    m_findNext->setEnabled(any);
    if (m_replace) {
        m_replace->setEnabled(any);
        m_replaceAll->setEnabled(any);
    }
}
