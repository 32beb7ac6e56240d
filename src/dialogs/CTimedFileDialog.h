#pragma once

#include <QFileDialog>

class CLockWatch;

// Flags of the file chooser, with their traditional values.
enum TimedFileFlags : unsigned {
    OFN_OVERWRITEPROMPT = 0x2,
    OFN_HIDEREADONLY = 0x4,
    OFN_PATHMUSTEXIST = 0x800,
    OFN_FILEMUSTEXIST = 0x1000,
};

// The file chooser of every Open and Save As. It takes part in the screen lock: once the
// main frame has locked and the idle time is up it cancels itself and sets the Open or Save As
// command to run again, so that the frame opens a fresh chooser after the unlock.
class CTimedFileDialog : public QFileDialog {
    Q_OBJECT
public:
    // filter: "name|pattern;pattern|name|pattern||" pairs.
    CTimedFileDialog(bool openMode, const QString& defaultExt = QString(),
                     const QString& fileName = QString(), unsigned flags = 0,
                     const QString& filter = QString(), QWidget* parent = nullptr);

    // IDOK with a path chosen, otherwise IDCANCEL.
    int DoModal();
    // The chosen file's full path; empty when none.
    QString GetPathName() const;

    // Qt's filter list for a "name|pattern|" filter string.
    static QStringList TranslateFilter(const QString& filter);

    const bool m_openMode;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    virtual void OnIdleCheck();

private:
    void CloseForLock();

    CLockWatch* m_lockWatch;
};
