#pragma once

#include "CTimedFileDialog.h"

// The save dialog of a download. Like every file dialog it goes when the screen locks, but the
// download it asked for is cancelled then rather than asked for again.
class CDownloadFileDialog : public CTimedFileDialog {
    Q_OBJECT
public:
    CDownloadFileDialog(const QString& fileName, QWidget* parent);

protected:
    void OnIdleCheck() override;
};
