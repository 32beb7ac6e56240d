#include "CKeystowBrowserDoc.h"

#include "CMDIChildWnd.h"
#include "CWinApp.h"
#include "DocumentCommands.h"
#include "resource.h"

#include "CMDIFrameWnd.h"

CKeystowBrowserDoc::CKeystowBrowserDoc() {
    // File New asks which kind of document to create, as in every other window.
    OnCommand(ID_FILE_NEW, [] {
        CWinApp* app = CWinApp::Current();
        RunFileNewCommand(app ? app->GetMainWnd() : nullptr);
    });
}
