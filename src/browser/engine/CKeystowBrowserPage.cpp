#include "CKeystowBrowserPage.h"

#include <QAuthenticator>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineView>

namespace {

bool IsOwnPage(const QUrl& url) {
    return url.scheme().compare(QLatin1String("qrc"), Qt::CaseInsensitive) == 0;
}

QString DialogTitle(const QUrl& origin) {
    const QString host = origin.host();
    return host.isEmpty() ? QObject::tr("Web Page") : host;
}

} // namespace

QWidget* CKeystowBrowserPage::PageWidget() const {
    return QWebEngineView::forPage(this);
}

bool CKeystowBrowserPage::Locked() const {
    return m_hooks && m_hooks->isLocked && m_hooks->isLocked();
}

void CKeystowBrowserPage::CloseWhenLocked(QDialog* dialog) const {
    if (m_hooks && m_hooks->closeWhenLocked)
        m_hooks->closeWhenLocked(dialog);
}

CKeystowBrowserPage::CKeystowBrowserPage(QWebEngineProfile* profile, const BrowserHostHooks* hooks,
                                         QObject* parent)
    : QWebEnginePage(profile, parent), m_hooks(hooks) {
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            &CKeystowBrowserPage::RefusePermission);
    // The view makes no window of its own (createWindow() gives none), so every window a page
    // asks for comes here.
    connect(this, &QWebEnginePage::newWindowRequested, this, &CKeystowBrowserPage::OpenWindow);
    connect(this, &QWebEnginePage::fullScreenRequested, this,
            [](QWebEngineFullScreenRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::authenticationRequired, this,
            [this](const QUrl& url, QAuthenticator* auth) { AskCredentials(url, auth, {}); });
    connect(this, &QWebEnginePage::proxyAuthenticationRequired, this,
            [this](const QUrl& url, QAuthenticator* auth, const QString& proxyHost) {
                AskCredentials(url, auth, proxyHost);
            });
}

void CKeystowBrowserPage::RefusePermission(const QUrl& origin, QWebEnginePage::Feature feature) {
    setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
    ++m_refusedPermissions;
    emit permissionRefused(origin, feature);
}

void CKeystowBrowserPage::OpenWindow(QWebEngineNewWindowRequest& request) {
    if (!request.isUserInitiated() || Locked()) {
        emit windowBlocked();
        return;
    }
    if (QWebEnginePage* page = m_newWindow ? m_newWindow() : nullptr)
        request.openIn(page);
}

bool CKeystowBrowserPage::acceptNavigationRequest(const QUrl& url, NavigationType type,
                                                  bool isMainFrame) {
    // Our own pages are opened by the program (the address box, the start page) and reached
    // again through the window's history; a web page cannot send the window there.
    if (IsOwnPage(url) && !IsOwnPage(this->url()) && type != NavigationTypeTyped &&
        type != NavigationTypeBackForward && type != NavigationTypeReload)
        return false;
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

void CKeystowBrowserPage::javaScriptAlert(const QUrl& origin, const QString& msg) {
    if (Locked())
        return;
    QMessageBox box(QMessageBox::Information, DialogTitle(origin), msg, QMessageBox::Ok,
                    PageWidget());
    CloseWhenLocked(&box);
    box.exec();
}

bool CKeystowBrowserPage::javaScriptConfirm(const QUrl& origin, const QString& msg) {
    if (Locked())
        return false;
    QMessageBox box(QMessageBox::Question, DialogTitle(origin), msg,
                    QMessageBox::Ok | QMessageBox::Cancel, PageWidget());
    CloseWhenLocked(&box);
    return box.exec() == QMessageBox::Ok && !Locked();
}

bool CKeystowBrowserPage::javaScriptPrompt(const QUrl& origin, const QString& msg,
                                           const QString& defaultValue, QString* result) {
    if (Locked())
        return false;
    QInputDialog dialog(PageWidget());
    dialog.setWindowTitle(DialogTitle(origin));
    dialog.setLabelText(msg);
    dialog.setTextValue(defaultValue);
    CloseWhenLocked(&dialog);
    if (dialog.exec() != QDialog::Accepted || Locked())
        return false;
    *result = dialog.textValue();
    return true;
}

void CKeystowBrowserPage::AskCredentials(const QUrl& url, QAuthenticator* authenticator,
                                         const QString& proxyHost) {
    if (Locked()) {
        *authenticator = QAuthenticator(); // an empty answer cancels the request
        return;
    }
    QDialog dialog(PageWidget());
    dialog.setWindowTitle(tr("Authentication Required"));
    auto* form = new QFormLayout(&dialog);
    const QString where = proxyHost.isEmpty() ? url.host() : proxyHost;
    form->addRow(new QLabel(tr("%1 asks for a user name and password (%2).")
                                .arg(where.toHtmlEscaped(), authenticator->realm().toHtmlEscaped()),
                            &dialog));
    auto* user = new QLineEdit(&dialog);
    auto* password = new QLineEdit(&dialog);
    password->setEchoMode(QLineEdit::Password);
    form->addRow(tr("&User name:"), user);
    form->addRow(tr("&Password:"), password);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    CloseWhenLocked(&dialog);
    if (dialog.exec() != QDialog::Accepted || Locked()) {
        *authenticator = QAuthenticator();
        return;
    }
    authenticator->setUser(user->text());
    authenticator->setPassword(password->text());
}
