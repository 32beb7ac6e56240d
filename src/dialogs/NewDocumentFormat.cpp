#include "NewDocumentFormat.h"

#include "CWinApp.h"

#include <QSettings>

namespace {
const char kSection[] = "Settings";
const char kEntry[] = "StrongEncryption";
} // namespace

FileFormat NewDocumentsFormat() {
    const CWinApp* app = CWinApp::Current();
    const int strong =
        app ? app->GetProfileInt(QLatin1String(kSection), QLatin1String(kEntry), 0) : 0;
    return strong == 1 ? FileFormat::Strong : FileFormat::Compatible;
}

void SetNewDocumentsFormat(FileFormat format) {
    if (CWinApp* app = CWinApp::Current())
        app->WriteProfileInt(QLatin1String(kSection), QLatin1String(kEntry),
                             format == FileFormat::Strong ? 1 : 0);
}
