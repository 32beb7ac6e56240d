#include "TextFeed.h"

#include "SecretString.h"

#include <QMutexLocker>
#include <QPaintEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextDocument>

TextFeed::TextFeed(QPlainTextEdit* editor)
    : m_editor(editor), m_end(editor->document()), m_undo(editor->document()->isUndoRedoEnabled()) {
    m_editor->viewport()->installEventFilter(this);
    m_editor->document()->setUndoRedoEnabled(false);
}

bool TextFeed::eventFilter(QObject* watched, QEvent* event) {
    // The editor shows empty until the text is all in: a part may yet turn out not to be the
    // text at all (a wrong password shows only at the end).
    if (watched != m_editor->viewport() || event->type() != QEvent::Paint)
        return false;
    QPainter painter(m_editor->viewport());
    painter.fillRect(static_cast<QPaintEvent*>(event)->rect(),
                     m_editor->palette().brush(QPalette::Base));
    return true;
}

TextFeed::~TextFeed() {
    Restore();
    for (QString& part : m_parts)
        SecretString::WipeQString(part);
    SecretString::WipeQString(m_held);
}

void TextFeed::Add(QStringView part) {
    if (part.isEmpty())
        return;
    QMutexLocker lock(&m_mutex);
    m_parts.append(part.toString());
    m_added += part.size();
    if (m_posted)
        return;
    m_posted = true;
    QMetaObject::invokeMethod(this, &TextFeed::Drain, Qt::QueuedConnection);
}

void TextFeed::Drain() {
    QList<QString> parts;
    {
        QMutexLocker lock(&m_mutex);
        parts.swap(m_parts);
        m_posted = false;
    }
    for (QString& part : parts)
        Insert(part, false);
}

void TextFeed::Insert(QString& part, bool last) {
    QString chunk = m_held;
    chunk += part;
    SecretString::WipeQString(part);
    SecretString::WipeQString(m_held);
    // CR LF is one line end: a CR at the end of a part waits for what follows it.
    if (!last && chunk.endsWith(QLatin1Char('\r'))) {
        m_held = chunk.right(1);
        chunk.chop(1);
    }
    if (chunk.isEmpty())
        return;
    m_end.insertText(chunk);
    SecretString::WipeQString(chunk);
    if (!m_started) {
        // The first insertion carried the editor's caret along; later ones stay behind it.
        m_started = true;
        m_editor->setTextCursor(QTextCursor(m_editor->document()));
    }
}

void TextFeed::Finish(const QString& whole) {
    Drain();
    qsizetype added;
    {
        QMutexLocker lock(&m_mutex);
        added = m_added;
    }
    QString rest = whole.mid(added);
    Insert(rest, true);
    Restore();
}

void TextFeed::Discard() {
    Drain();
    SecretString::WipeQString(m_held);
    QTextCursor all(m_editor->document());
    all.select(QTextCursor::Document);
    all.removeSelectedText();
    Restore();
}

void TextFeed::Restore() {
    if (m_restored)
        return;
    m_restored = true;
    m_editor->document()->setUndoRedoEnabled(m_undo);
    m_editor->viewport()->removeEventFilter(this);
    m_editor->viewport()->update();
}
