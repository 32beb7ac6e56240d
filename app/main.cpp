// keystow [FILE]: starts the editor, opening FILE at once when it is named.
#include "CEditorApp.h"
#include "CoreDumps.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

int main(int argc, char* argv[]) {
    // Before any document is decrypted: a crash must not leave its text in a core file.
    DisableCoreDumps();
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Keystow"));
    QCoreApplication::setApplicationName(QStringLiteral("Keystow Editor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KEYSTOW_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Keystow Editor keeps text and passwords documents encrypted on disk."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("An encrypted document (.etx or .ksw) to open."),
                                 QStringLiteral("[FILE]"));
    parser.process(application);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        fprintf(stderr, "%s\n", qPrintable(QStringLiteral("Name at most one file.")));
        parser.showHelp(1);
    }

    CEditorApp app;
    if (!files.isEmpty())
        app.SetCommandLineFile(files.first());
    if (!app.InitInstance())
        return 1;
    app.ShowStartupWelcome();
    const int status = QApplication::exec();
    const int exitStatus = app.ExitInstance();
    return exitStatus != 0 ? exitStatus : status;
}
