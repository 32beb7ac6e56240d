#pragma once

#include "CModalDialog.h"

#include <QList>
#include <QString>

class QPushButton;

#include <QMessageBox>

// The program's caption, used by its own message dialogs and message boxes.
QString AppCaption();

// A message box with the program's caption, wide enough to show the caption whole however
// short the message is. Returns the button chosen.
QMessageBox::StandardButton
ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
               QMessageBox::StandardButtons buttons = QMessageBox::Ok,
               QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// Common ground of the shell's small dialogs: a one-time set-up when the dialog first shows
// (so that callers can fill the public members after construction), controls found by their
// numeric ids, and sizes given in dialog units of the dialog's font.
class CShellDialog : public CModalDialog {
    Q_OBJECT
public:
    explicit CShellDialog(QWidget* parent = nullptr);

    // Runs the dialog; returns IDOK, IDCANCEL, IDYES, IDNO, 0 when the lock closed it, or a
    // dialog's own result.
    int DoModal();

    // The control carrying the numeric id, or null.
    QWidget* GetDlgItem(int id) const;

protected:
    // Metrics shared by the dialogs, in dialog units.
    static constexpr int kButtonWidthDlu = 50;
    static constexpr int kIconGapDlu = 4;
    static constexpr int kFieldGapDlu = 4;

    // Called once, just before the dialog first shows.
    virtual void OnInitDialog() {}
    void showEvent(QShowEvent* event) override;

    static void SetControlId(QWidget* widget, int id);
    // Pixels for a size in dialog units (a quarter of the average character width across,
    // an eighth of the line height down).
    int DluX(int units) const;
    int DluY(int units) const;
    // A push button carrying the id, at least 50 dialog units wide.
    QPushButton* AddButton(const QString& text, int id);
    // The same, ending the dialog with the given result when clicked.
    QPushButton* AddEndButton(const QString& text, int id, int result);
    // Lets the key (and Alt with it) press the button, as message boxes answer Y and N.
    void AddAnswerKey(Qt::Key key, QPushButton* button);
    // Lays the dialog out as a message: the icon left of the texts, the buttons centred in a
    // row gapDlu dialog units below, the dialog at its natural size.
    void LayOutMessage(int iconId, const QList<QWidget*>& texts, const QList<QPushButton*>& buttons,
                       int gapDlu);

private:
    bool m_initialised = false;
};
