#include "DataFolder.h"

#include <QStandardPaths>

QString KeystowDataFolder() {
    const QString fromEnvironment = qEnvironmentVariable("KEYSTOW_DATA_DIR");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}
