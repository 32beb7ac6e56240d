#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>

// Answers the modal dialogs a command opens, one step per dialog in the order they appear.
// It reacts to the dialog's own events, not to a polling timer: once the dialog has shown and
// become the active window (so that its focus is set), the step runs on the next turn of the
// event loop, inside exec(). As for a person at the keyboard, the focused field is theirs: a
// file chooser's selectFile() leaves its focused name field alone, so type the name there.
// A dialog nobody planned for is recorded and cancelled, and so is the dialog of a step that
// failed or that is still up ten seconds after its step, so a test cannot hang on any of them.
class DialogScript : public QObject {
    Q_OBJECT
public:
    using Step = std::function<void(QWidget* dialog)>;

    DialogScript();
    ~DialogScript() override;

    DialogScript& Then(Step step);
    bool Finished() const { return m_steps.isEmpty(); }
    qsizetype Steps() const { return m_steps.size(); } // still to come
    // Class names of every dialog seen, in order.
    const QStringList& Seen() const { return m_seen; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AnswerSoon(QWidget* modal);
    void Answer(QWidget* modal);

    QList<QPointer<QWidget>> m_pending; // shown, not answered yet
    QPointer<QWidget> m_last;           // the dialog answered last

    QList<Step> m_steps;
    QStringList m_seen;
};
