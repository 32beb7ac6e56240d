#include "DocumentCommands.h"

#include "CDocManager.h"
#include "CMultiDocTemplate.h"
#include "CNewDocumentDlg.h"
#include "CTimedFileDialog.h"
#include "CWinApp.h"
#include "resource.h"

const char kOpenFileFilter[] =
    "Keystow Encrypted Files (*.etx;*.ksw)|*.etx;*.ksw|Keystow Encrypted Data Files "
    "(*.ksw)|*.ksw|Keystow Encrypted Text Files (*.etx)|*.etx|";

namespace {
CMultiDocTemplate* TemplateFor(int resourceId) {
    CWinApp* app = CWinApp::Current();
    if (!app)
        return nullptr;
    for (CMultiDocTemplate* tmpl : app->GetDocManager()->GetTemplates())
        if (tmpl->GetResourceId() == resourceId)
            return tmpl;
    return nullptr;
}
} // namespace

void RunFileNewCommand(QWidget* parent) {
    CNewDocumentDlg dlg(parent);
    int resourceId = 0;
    switch (dlg.DoModal()) {
    case CNewDocumentDlg::NewTextDocument:
        resourceId = IDR_TEXTTYPE;
        break;
    case CNewDocumentDlg::NewPasswordsDocument:
        resourceId = IDR_KEYSTOWTYPE;
        break;
    default:
        return;
    }
    if (CMultiDocTemplate* tmpl = TemplateFor(resourceId))
        tmpl->OpenDocumentFile(QString());
}

void RunFileOpenCommand(QWidget* parent) {
    CTimedFileDialog dlg(true, QString(), QString(), OFN_FILEMUSTEXIST,
                         QLatin1String(kOpenFileFilter), parent);
    if (dlg.DoModal() != IDOK)
        return;
    const QString path = dlg.GetPathName();
    if (path.isEmpty())
        return;
    if (CWinApp* app = CWinApp::Current())
        app->OpenDocumentFile(path);
}
