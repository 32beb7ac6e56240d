#pragma once

#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringView>
#include <QTextCursor>

class QPlainTextEdit;

// Carries a text into an empty editor while the rest of it is still being decrypted on another
// thread: Add queues a part from any thread, and the editor's own event loop inserts the parts
// at the end of its document, so building the document's lines overlaps the decryption. A line
// end split between two parts is joined again. The editor shows empty and nothing is recorded
// for undo until Finish; Discard takes everything out again. Every copy is wiped once inserted.
class TextFeed : public QObject {
public:
    explicit TextFeed(QPlainTextEdit* editor);
    ~TextFeed() override;
    TextFeed(const TextFeed&) = delete;
    TextFeed& operator=(const TextFeed&) = delete;

    // Any thread: queues a copy of part.
    void Add(QStringView part);
    // The editor's thread, once the load is done: inserts whatever of whole did not come
    // through Add (all of it, when nothing did), then lets the editor paint again.
    void Finish(const QString& whole);
    // The editor's thread: the load failed; the document is empty again.
    void Discard();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The editor's thread: inserts the queued parts.
    void Drain();
    void Insert(QString& part, bool last);
    void Restore();

    QPlainTextEdit* m_editor;
    QTextCursor m_end;
    bool m_undo;
    bool m_restored = false;
    QMutex m_mutex;
    QList<QString> m_parts; // guarded by m_mutex
    qsizetype m_added = 0;  // guarded by m_mutex
    bool m_posted = false;  // guarded by m_mutex
    QString m_held;         // a CR whose LF may start the next part
    bool m_started = false;
};
