#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The modeless Find and Replace dialogs of the editor. The dialog only collects what to look
// for; the view that owns it does the searching when a button signal arrives.
class CFindReplaceDlg : public QDialog {
    Q_OBJECT
public:
    CFindReplaceDlg(bool replaceMode, QWidget* parent);

    bool IsReplaceMode() const { return m_replaceMode; }
    QString FindWhat() const;
    QString ReplaceWith() const;
    bool MatchCase() const;
    bool MatchWholeWord() const;
    bool SearchDown() const;

    void SetFindWhat(const QString& text);
    void SetReplaceWith(const QString& text);
    void SetOptions(bool matchCase, bool wholeWord, bool searchDown);

    QPushButton* FindNextButton() const { return m_findNext; }
    QPushButton* ReplaceButton() const { return m_replace; }
    QPushButton* ReplaceAllButton() const { return m_replaceAll; }

signals:
    void FindNextRequested();
    void ReplaceRequested();
    void ReplaceAllRequested();

private:
    void UpdateButtons();

    bool m_replaceMode;
    QLineEdit* m_findWhat;
    QLineEdit* m_replaceWith = nullptr;
    QCheckBox* m_wholeWord;
    QCheckBox* m_matchCase;
    QRadioButton* m_up = nullptr;
    QRadioButton* m_down = nullptr;
    QPushButton* m_findNext;
    QPushButton* m_replace = nullptr;
    QPushButton* m_replaceAll = nullptr;
};
