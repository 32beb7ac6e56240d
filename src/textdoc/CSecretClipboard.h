#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

class QMimeData;

// Copies of passwords on the clipboard. Each copy carries the desktop's password-manager hint
// (x-kde-passwordManagerHint: secret) beside the plain text, so that clipboard managers do not
// keep it in their history, and the clipboard is cleared a while later if it still holds that
// copy; anything copied since is left alone.
class CSecretClipboard : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultClearDelayMs = 30000;
    static const char kHintFormat[];

    // The one instance, owned by the application object.
    static CSecretClipboard* Instance();

    // Puts the text on the clipboard with the hint and (re)starts the clearing delay.
    void Copy(const QString& text);

    // Clears the clipboard at once if it still holds the last copy, and stops the delay.
    void ClearNow();

    // The delay before clearing; tests shorten it.
    void SetClearDelay(int milliseconds);
    int ClearDelay() const { return m_timer.interval(); }
    bool IsClearPending() const { return m_timer.isActive(); }
    int ClearRemaining() const { return m_timer.remainingTime(); }

private:
    explicit CSecretClipboard(QObject* parent);

    QTimer m_timer;
    // The data last offered; the clipboard deletes it once anything else is copied.
    QPointer<QMimeData> m_offered;
};
