#include "CAddressBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStringListModel>
#include <QStyle>
#include <QWheelEvent>

namespace {

// The part of an address after its scheme, so that "exa" completes "http://example.com".
QString WithoutScheme(const QString& address) {
    const int at = address.indexOf(QLatin1String("://"));
    return at < 0 ? address : address.mid(at + 3);
}

} // namespace

CAddressBox::CAddressBox(QWidget* parent)
    : QComboBox(parent), m_completionModel(new QStringListModel(this)),
      m_completer(new QCompleter(m_completionModel, this)) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setDuplicatesEnabled(true);
    setMaxVisibleItems(12);
    setMinimumContentsLength(30);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setFilterMode(Qt::MatchContains);
    m_completer->setCompletionMode(QCompleter::PopupCompletion);
    lineEdit()->setCompleter(m_completer);
    lineEdit()->installEventFilter(this);
    // The box's own Enter handling would report a typed text that matches an item as chosen
    // from the list; Enter is ours alone.
    disconnect(lineEdit(), SIGNAL(returnPressed()), this, SLOT(_q_returnPressed()));
    // Nor is the field losing the focus a choice: the box would report its text as chosen
    // when it matches an item, and so reload the page whenever the list opens or the person
    // clicks into the page.
    disconnect(lineEdit(), SIGNAL(editingFinished()), this, SLOT(_q_editingFinished()));
    connect(lineEdit(), &QLineEdit::returnPressed, this,
            [this] { emit addressEntered(lineEdit()->text()); });
    connect(lineEdit(), &QLineEdit::textEdited, this, &CAddressBox::CompleteInline);
    // Only the list reports a choice: Enter, the arrow keys and the wheel are kept from it.
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (index >= 0)
            emit addressChosen(itemText(index));
    });
}

void CAddressBox::SetEntries(const QStringList& entries) {
    QLineEdit* edit = lineEdit();
    const QString text = edit->text();
    const int cursor = edit->cursorPosition();
    const int selStart = edit->selectionStart();
    const int selLength = edit->selectedText().size();
    {
        const QSignalBlocker blocker(this);
        clear();
        const QIcon icon = style()->standardIcon(QStyle::SP_FileLinkIcon);
        for (const QString& entry : entries)
            addItem(icon, entry);
        setCurrentIndex(-1);
        edit->setText(text);
        if (selStart >= 0)
            edit->setSelection(selStart, selLength);
        else
            edit->setCursorPosition(cursor);
    }
    m_completionModel->setStringList(entries);
}

bool CAddressBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool completing = m_completer->popup() && m_completer->popup()->isVisible();
        switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
            // In the closed box the arrows open the list instead of going to the next item.
            if (!completing && key->modifiers() == Qt::NoModifier) {
                showPopup();
                return true;
            }
            break;
        default:
            break;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

void CAddressBox::keyPressEvent(QKeyEvent* event) {
    // The keys reach the box itself when it holds the focus (after its list closed): there the
    // arrows and page keys would step to the next item and report it as chosen.
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        showPopup();
        return;
    default:
        QComboBox::keyPressEvent(event);
    }
}

void CAddressBox::wheelEvent(QWheelEvent* event) {
    event->ignore();
}

void CAddressBox::CompleteInline(const QString& typed) {
    const bool grew = typed.size() > m_lastTyped.size() && typed.startsWith(m_lastTyped);
    m_lastTyped = typed;
    if (!grew || typed.isEmpty())
        return;
    QLineEdit* edit = lineEdit();
    if (edit->cursorPosition() != typed.size())
        return; // typing in the middle completes nothing
    for (const QString& entry : m_completionModel->stringList()) {
        QString candidate;
        if (entry.startsWith(typed, Qt::CaseInsensitive))
            candidate = entry;
        else if (WithoutScheme(entry).startsWith(typed, Qt::CaseInsensitive))
            candidate = WithoutScheme(entry);
        if (candidate.size() <= typed.size())
            continue;
        const QString rest = candidate.mid(typed.size());
        edit->setText(typed + rest);
        edit->setSelection(typed.size(), rest.size());
        return;
    }
}
