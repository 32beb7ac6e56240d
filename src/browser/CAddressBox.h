#pragma once

#include <QComboBox>

class QCompleter;
class QStringListModel;

// The address box of a browser window: an editable box over the shared address history.
// Enter in its field and choosing an item from its list are two separate paths; the box never
// inserts typed text into the list itself. Typing offers the matching history in a pop-up and
// completes the first match in place, the completed part selected so that typing on replaces it.
class CAddressBox : public QComboBox {
    Q_OBJECT
public:
    explicit CAddressBox(QWidget* parent = nullptr);

    // Shows entries (most recent first) as the list, keeping the text being edited.
    void SetEntries(const QStringList& entries);

signals:
    void addressEntered(const QString& text);
    void addressChosen(const QString& url);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void CompleteInline(const QString& typed);

    QStringListModel* m_completionModel;
    QCompleter* m_completer;
    QString m_lastTyped;
};
