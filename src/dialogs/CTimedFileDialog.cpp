#include "CTimedFileDialog.h"

#include "CActivityHost.h"
#include "CModalDialog.h"

#include <QApplication>
#include <QRegularExpression>
#include <QTimer>

CTimedFileDialog::CTimedFileDialog(bool openMode, const QString& defaultExt,
                                   const QString& fileName, unsigned flags, const QString& filter,
                                   QWidget* parent)
    : QFileDialog(parent), m_openMode(openMode), m_idleTimer(new QTimer(this)) {
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

    m_idleTimer->setInterval(100);
    connect(m_idleTimer, &QTimer::timeout, this, &CTimedFileDialog::OnIdleCheck);
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
    m_idleTimer->start();
}

void CTimedFileDialog::hideEvent(QHideEvent* event) {
    m_idleTimer->stop();
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
    CActivityHost* host = CActivityHost::Current();
    if (!host || !host->m_locked || !host->IsIdleTimeUp())
        return;
    host->m_resume[m_openMode ? CActivityHost::ResumeOpen : CActivityHost::ResumeSaveAs] = 1;
    // A question the chooser itself asked goes too, so that nothing stays above the lock.
    for (QDialog* inner : findChildren<QDialog*>())
        if (inner->isVisible())
            inner->reject();
    reject();
}
