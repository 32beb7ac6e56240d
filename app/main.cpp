// keystow [--new-instance] [FILE...]: starts the editor, opening the files at once when they are
// named. While the program already runs for this person, the files go to it instead.
#include "CEditorApp.h"
#include "CSingleInstance.h"
#include "CoreDumps.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>
#ifdef __GLIBC__
#include <malloc.h>
#endif

int main(int argc, char* argv[]) {
    // Before any document is decrypted: a crash must not leave its text in a core file.
    DisableCoreDumps();
#ifdef __GLIBC__
    // A freed text buffer of megabytes goes back to the system instead of staying in the heap.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Keystow"));
    QCoreApplication::setApplicationName(QStringLiteral("Keystow Editor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KEYSTOW_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Keystow Editor keeps text and passwords documents encrypted on disk."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption newInstance(
        QStringLiteral("new-instance"),
        QStringLiteral("Start a separate program even when one already runs."));
    parser.addOption(newInstance);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("Encrypted documents (.etx or .ksw) to open."),
                                 QStringLiteral("[FILE...]"));
    parser.process(application);
    QStringList files;
    for (const QString& file : parser.positionalArguments())
        files.append(QFileInfo(file).absoluteFilePath());
    if (!CEditorApp::CheckCommandLineFiles(files))
        return 1;

    CSingleInstance instance(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
    if (!parser.isSet(newInstance)) {
        if (instance.Start(files) == CSingleInstance::Role::HandedOver)
            return 0;
        if (instance.LastHandOver() == CSingleInstance::HandOverResult::NoAnswer)
            fprintf(stderr, "%s\n",
                    "keystow: the running program does not answer; starting a separate one.");
    }

    CEditorApp app;
    app.SetCommandLineFiles(files);
    instance.SetReceiver([&app](const QStringList& handed) { return app.ReceiveFiles(handed); },
                         [&app] { return app.TakesFiles(); });
    // Once the program is ending, later starts run on their own instead of waiting for it.
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &instance,
                     &CSingleInstance::Stop);
    if (!app.InitInstance())
        return 1;
    app.ShowStartupWelcome();
    const int status = QApplication::exec();
    const int exitStatus = app.ExitInstance();
    return exitStatus != 0 ? exitStatus : status;
}
