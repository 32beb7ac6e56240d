#pragma once

#include "CShellDialog.h"

#include <TextFile.h>

class QRadioButton;

// "Encryption of New Documents": which format new documents start with.
class CNewDocumentFormatDlg : public CShellDialog {
    Q_OBJECT
public:
    explicit CNewDocumentFormatDlg(QWidget* parent = nullptr);

    // In: the current choice; out (on IDOK): the chosen one.
    FileFormat m_format = FileFormat::Compatible;

protected:
    void OnInitDialog() override;

private:
    QRadioButton* m_compatible;
    QRadioButton* m_strong;
};
