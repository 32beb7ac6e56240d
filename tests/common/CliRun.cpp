#include "CliRun.h"

#include <QProcess>
#include <QProcessEnvironment>

QString CliProgram() {
    return qEnvironmentVariable("KEYSTOW_BIN_DIR") + QStringLiteral("/keystow-cli");
}

QString EditorProgram() {
    return qEnvironmentVariable("KEYSTOW_BIN_DIR") + QStringLiteral("/keystow");
}

CliResult RunCli(const QStringList& args, const QByteArray& password, const QByteArray& input) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("KEYSTOW_PASSWORD"));
    if (!password.isNull())
        env.insert(QStringLiteral("KEYSTOW_PASSWORD"), QString::fromUtf8(password));
    process.setProcessEnvironment(env);
    process.start(CliProgram(), args);
    process.write(input);
    process.closeWriteChannel();
    CliResult result;
    if (!process.waitForFinished(60000))
        return result;
    result.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}
