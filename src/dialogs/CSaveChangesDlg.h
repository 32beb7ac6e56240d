#pragma once

#include "CShellDialog.h"

class QLabel;

// "Save changes to <name>?" before a modified document closes. DoModal gives IDYES, IDNO, or
// IDCANCEL (Cancel, Esc, the close box or the screen lock).
class CSaveChangesDlg : public CShellDialog {
    Q_OBJECT
public:
    explicit CSaveChangesDlg(QWidget* parent = nullptr);

    // The document's path, or its title while it has none; only the name is shown.
    QString m_fileName;

    // The name shown for a path: the part after the last separator, unless that separator is
    // the first or the last character.
    static QString ShortName(const QString& path);

protected:
    void OnInitDialog() override;

private:
    QLabel* m_message;
};
