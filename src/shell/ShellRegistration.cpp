#include "ShellRegistration.h"

#include "FileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

const char kMimePackagePath[] = "mime/packages/keystow-editor.xml";
const char kUserDesktopEntryPath[] = "applications/keystow-editor.desktop";
const char kSystemDesktopEntryPath[] = "applications/org.keystow.Editor.desktop";

namespace {

const char kEtxMime[] = "application/x-keystow-etx";
const char kKswMime[] = "application/x-keystow-ksw";

// Writes text when it differs from what is there; changed tells whether it did.
bool WriteIfChanged(const QString& path, const QByteArray& text, bool& changed) {
    QFile current(path);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == text)
        return true;
    current.close();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    // Others' desktops read these files: they keep the usual mode for new ones.
    WriteOptions readable;
    readable.mode = 0644;
    if (!WriteWholeFile(path, text, nullptr, readable))
        return false;
    changed = true;
    return true;
}

void RunIfPresent(const QString& tool, const QStringList& arguments) {
    const QString path = QStandardPaths::findExecutable(tool);
    if (!path.isEmpty())
        QProcess::startDetached(path, arguments);
}

// Desktop entry values escape backslashes; the Exec key also quotes the program.
QString QuoteExec(const QString& program) {
    QString quoted = program;
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\\\\\"));
    quoted.replace(QLatin1Char('"'), QStringLiteral("\\\\\""));
    quoted.replace(QLatin1Char('`'), QStringLiteral("\\\\`"));
    quoted.replace(QLatin1Char('$'), QStringLiteral("\\\\$"));
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

QString MimePackageText() {
    // The very file a system-wide install puts in place.
    static const QString text = [] {
        Q_INIT_RESOURCE(shellfiles);
        QFile file(QStringLiteral(":/shell/keystow-editor.xml"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }();
    return text;
}

QString DesktopEntryText(const QString& executable) {
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Keystow Editor\n"
                          "Comment=Keeps text and passwords documents encrypted\n"
                          "Exec=%1 %F\n"
                          "Icon=document-encrypted\n"
                          "Terminal=false\n"
                          "Categories=Utility;Security;\n"
                          "MimeType=%2;%3;\n")
        .arg(QuoteExec(executable), QLatin1String(kEtxMime), QLatin1String(kKswMime));
}

bool RegisterShellFileTypes(const QString& executable, const QString& dataHome) {
    if (dataHome.isEmpty() || executable.isEmpty())
        return false;
    const QDir home(dataHome);
    bool mimeChanged = false;
    bool desktopChanged = false;
    const bool mimeOk = WriteIfChanged(home.filePath(QLatin1String(kMimePackagePath)),
                                       MimePackageText().toUtf8(), mimeChanged);
    const bool desktopOk = WriteIfChanged(home.filePath(QLatin1String(kUserDesktopEntryPath)),
                                          DesktopEntryText(executable).toUtf8(), desktopChanged);
    if (mimeChanged)
        RunIfPresent(QStringLiteral("update-mime-database"),
                     {home.filePath(QStringLiteral("mime"))});
    if (desktopChanged)
        RunIfPresent(QStringLiteral("update-desktop-database"),
                     {home.filePath(QStringLiteral("applications"))});
    return mimeOk && desktopOk;
}

bool InstalledSystemWide(const QStringList& dataFolders, const QString& dataHome) {
    const QString home = QDir::cleanPath(dataHome);
    for (const QString& folder : dataFolders) {
        if (folder.isEmpty() || QDir::cleanPath(folder) == home)
            continue;
        const QDir dir(folder);
        if (QFileInfo(dir.filePath(QLatin1String(kMimePackagePath))).isFile() &&
            QFileInfo(dir.filePath(QLatin1String(kSystemDesktopEntryPath))).isFile())
            return true;
    }
    return false;
}

bool RegisterShellFileTypesUnlessInstalled(const QString& executable) {
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (InstalledSystemWide(QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation),
                            dataHome))
        return true;
    return RegisterShellFileTypes(executable, dataHome);
}
