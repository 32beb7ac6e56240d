#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>

// Answers the modal dialogs a command opens, one step per dialog in the order they appear.
// A dialog nobody planned for is recorded and cancelled, so a test cannot hang on it.
class DialogScript : public QObject {
    Q_OBJECT
public:
    using Step = std::function<void(QWidget* dialog)>;

    DialogScript();
    ~DialogScript() override;

    DialogScript& Then(Step step);
    bool Finished() const { return m_steps.isEmpty(); }
    // Class names of every dialog seen, in order.
    const QStringList& Seen() const { return m_seen; }

private:
    void Tick();

    QList<Step> m_steps;
    QStringList m_seen;
    QPointer<QWidget> m_last;
    QTimer m_timer;
};
