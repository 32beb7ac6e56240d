#include "CTimedFileDialog.h"

#include "CActivityHost.h"
#include "CLockWatch.h"
#include "CModalDialog.h"
#include "resource.h"

#include <QApplication>
#include <QRegularExpression>

CTimedFileDialog::CTimedFileDialog(bool openMode, const QString& defaultExt,
                                   const QString& fileName, unsigned flags, const QString& filter,
                                   QWidget* parent)
    : QFileDialog(parent), m_openMode(openMode),
      m_lockWatch(new CLockWatch(this, [this] { OnIdleCheck(); })) {
    // Only a dialog of our own can be closed by its own timer.
    setOption(QFileDialog::DontUseNativeDialog);
    setWindowTitle(openMode ? tr("Open") : tr("Save As"));
    if (openMode) {
        setAcceptMode(QFileDialog::AcceptOpen);
        setFileMode((flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    } else {
        setAcceptMode(QFileDialog::AcceptSave);
        setFileMode(QFileDialog::AnyFile);
        // The documents ask about replacing a file themselves.
        setOption(QFileDialog::DontConfirmOverwrite, !(flags & OFN_OVERWRITEPROMPT));
    }
    if (!defaultExt.isEmpty())
        setDefaultSuffix(defaultExt);
    const QStringList filters = TranslateFilter(filter);
    if (!filters.isEmpty())
        setNameFilters(filters);
    if (!fileName.isEmpty())
        selectFile(fileName);
}

int CTimedFileDialog::DoModal() {
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

QString CTimedFileDialog::GetPathName() const {
    if (result() != QDialog::Accepted)
        return QString();
    return selectedFiles().value(0);
}

QStringList CTimedFileDialog::TranslateFilter(const QString& filter) {
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i].trimmed();
        if (name.isEmpty())
            break;
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            // "All files" here includes names without a dot.
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        patterns.removeAll(QString());
        if (patterns.isEmpty())
            continue;
        // Qt reads the patterns from the parentheses at the end of the name, separated by
        // blanks; a name that already shows them is given the blank-separated form instead.
        name.remove(trailingPatterns);
        result << QStringLiteral("%1 (%2)").arg(name, patterns.join(QLatin1Char(' ')));
    }
    return result;
}

void CTimedFileDialog::showEvent(QShowEvent* event) {
    QFileDialog::showEvent(event);
    qApp->installEventFilter(this);
}

void CTimedFileDialog::hideEvent(QHideEvent* event) {
    qApp->removeEventFilter(this);
    QFileDialog::hideEvent(event);
}

bool CTimedFileDialog::eventFilter(QObject* watched, QEvent* event) {
    // Browsing and typing in the chooser is activity; only a chooser left alone times out.
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
        if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->window() == this)
            StampActivity();
        break;
    default:
        break;
    }
    return QFileDialog::eventFilter(watched, event);
}

void CTimedFileDialog::OnIdleCheck() {
    if (m_lockWatch->LockConditionHolds())
        CloseForLock();
}

void CTimedFileDialog::CloseForLock() {
    if (CActivityHost* host = CActivityHost::Current())
        host->RequestResume(m_openMode ? ID_FILE_OPEN : ID_FILE_SAVE_AS);
    // A question the chooser itself asked goes too, so that nothing stays above the lock.
    for (QDialog* inner : findChildren<QDialog*>())
        if (inner->isVisible())
            inner->reject();
    reject();
}
