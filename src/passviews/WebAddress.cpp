#include "WebAddress.h"

#include "CShellDialog.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QString>

namespace {
WebAddressOpener& Opener() {
    static WebAddressOpener opener;
    return opener;
}

bool StartsWithScheme(const QString& text) {
    for (const char* scheme : {"http://", "https://", "ftp://", "mailto:"}) {
        if (text.startsWith(QLatin1String(scheme), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// A host name typed without a scheme: www.example.org, example.org/path.
bool IsBareHost(const QString& text) {
    if (text.isEmpty() || !text.contains(QLatin1Char('.')))
        return false;
    if (text.startsWith(QLatin1Char('/')) || text.startsWith(QLatin1Char('.')) ||
        text.startsWith(QLatin1Char('~')) || text.startsWith(QLatin1Char('\\')))
        return false;
    for (const QChar c : text) {
        if (c.isSpace())
            return false;
    }
    // Something before a colon that is not a port (c:\x, file:..., javascript:...) is a scheme
    // or a drive, never a host.
    const int colon = static_cast<int>(text.indexOf(QLatin1Char(':')));
    const int slash = static_cast<int>(text.indexOf(QLatin1Char('/')));
    if (colon >= 0 && (slash < 0 || colon < slash)) {
        const QString rest = text.mid(colon + 1, slash < 0 ? -1 : slash - colon - 1);
        bool port = false;
        rest.toUInt(&port);
        if (!port)
            return false;
    }
    return true;
}
} // namespace

QUrl WebAddressFromText(const QString& text) {
    QString address = text;
    // Leading blanks are not part of the address; it ends at the first blank after it.
    while (!address.isEmpty() && address.front().isSpace())
        address.remove(0, 1);
    const int space = static_cast<int>(address.indexOf(QLatin1Char(' ')));
    if (space >= 0)
        address.truncate(space);
    address = address.trimmed();
    if (address.isEmpty())
        return {};
    QUrl url;
    if (StartsWithScheme(address))
        url = QUrl(address, QUrl::StrictMode);
    else if (IsBareHost(address))
        url = QUrl(QStringLiteral("https://") + address, QUrl::StrictMode);
    if (!url.isValid())
        return {};
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("mailto"))
        return url.path().isEmpty() ? QUrl() : url;
    if (url.host().isEmpty())
        return {};
    return url;
}

bool OpenWebAddress(QWidget* parent, const QString& text) {
    if (text.trimmed().isEmpty())
        return false;
    const QUrl url = WebAddressFromText(text);
    if (url.isEmpty()) {
        // The field may hold a password: the message never repeats the text.
        QMessageBox::warning(parent, AppCaption(),
                             QObject::tr("The text of this field is not a web address, so it "
                                         "was not opened.\nOnly addresses that start with "
                                         "http://, https://, ftp:// or mailto:, or a host name "
                                         "such as www.example.org, are opened."));
        return false;
    }
    if (Opener())
        return Opener()(url);
    return QDesktopServices::openUrl(url);
}

void SetWebAddressOpener(WebAddressOpener opener) {
    Opener() = std::move(opener);
}
