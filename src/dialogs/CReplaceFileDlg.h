#pragma once

#include "CShellDialog.h"

// "The specified file already exists. Replace?" DoModal gives IDOK for "Yes" and IDCANCEL
// for "No", Esc, the close box or the screen lock.
class CReplaceFileDlg : public CShellDialog {
    Q_OBJECT
public:
    explicit CReplaceFileDlg(QWidget* parent = nullptr);

protected:
    void OnInitDialog() override;
};
