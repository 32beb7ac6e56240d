#include "StandInDocTypes.h"

#include "CDocument.h"
#include "CMDIChildWnd.h"
#include "CMDIFrameWnd.h"
#include "CMultiDocTemplate.h"
#include "CView.h"
#include "CWinApp.h"
#include "ResString.h"
#include "resource.h"

#include <CDecryptFailedDlg.h>
#include <CModalDialog.h>
#include <CPasswordDlg.h>

#include <PasswordsFile.h>

#include <QFileInfo>
#include <QListWidget>

namespace {

QWidget* MainWindow() {
    CWinApp* app = CWinApp::Current();
    return app ? app->GetMainWnd() : nullptr;
}

// Asks for the file password; empty when the person cancelled.
bool AskPassword(QString& password) {
    CPasswordDlg dlg(MainWindow());
    if (dlg.DoModal() != IDOK)
        return false;
    password = dlg.m_password;
    return true;
}

void TellNotDecrypted(const QString& path) {
    CDecryptFailedDlg dlg(MainWindow());
    dlg.m_fileName = QFileInfo(path).fileName();
    dlg.DoModal();
}

class StandInAccountsView : public QListWidget, public CView {};

class StandInPasswordsDoc : public CDocument {
public:
    bool OnOpenDocument(const QString& path) override {
        QString password;
        if (!AskPassword(password))
            return false;
        AccountStore store;
        const LoadResult result = LoadPasswordsFile(path, password, store);
        password.fill(QLatin1Char(' '));
        if (result == LoadResult::NotDecrypted)
            TellNotDecrypted(path);
        if (result != LoadResult::Loaded)
            return false;
        auto* view = dynamic_cast<StandInAccountsView*>(GetFirstView());
        if (view) {
            // Names only: the secrets of the accounts never reach this window.
            view->addItem(QStringLiteral("Web Accounts"));
            store.web.enumerate([view](int, const WebAccount& a) {
                view->addItem(QStringLiteral("    ") + a.name);
            });
            view->addItem(QStringLiteral("Email Accounts"));
            store.mail.enumerate([view](int, const MailAccount& a) {
                view->addItem(QStringLiteral("    ") + a.name);
            });
            view->addItem(QStringLiteral("Other Accounts"));
            store.other.enumerate([view](int, const OtherAccount& a) {
                view->addItem(QStringLiteral("    ") + a.name);
            });
        }
        return CDocument::OnOpenDocument(path);
    }
};

} // namespace

CMultiDocTemplate* CreateStandInPasswordsTemplate() {
    return new CMultiDocTemplate(
        IDR_KEYSTOWTYPE, ResString(IDR_KEYSTOWTYPE), [] { return new StandInPasswordsDoc; },
        [] { return new CMDIChildWnd; }, [] { return new StandInAccountsView; });
}

CMultiDocTemplate* CreateStandInBrowserTemplate() {
    return new CMultiDocTemplate(IDR_BROWSERTYPE, QString(), {}, {});
}
