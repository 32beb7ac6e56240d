#include "WebAddress.h"

#include <QDesktopServices>
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
    // user@example.com is an e-mail address, never a web address.
    if (text.contains(QLatin1Char('@')))
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

QUrl WebAddressInText(const QString& text) {
    qsizetype start = -1;
    for (const char* scheme : {"http://", "https://"}) {
        const qsizetype at = text.indexOf(QLatin1String(scheme), 0, Qt::CaseInsensitive);
        if (at >= 0 && (start < 0 || at < start))
            start = at;
    }
    if (start < 0)
        return {};
    qsizetype end = start;
    while (end < text.size() && !text.at(end).isSpace())
        ++end;
    const QUrl url(text.mid(start, end - start), QUrl::StrictMode);
    // An address with a user part reads as an e-mail address; it is not opened from free text.
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty())
        return {};
    return url;
}

QUrl FieldWebAddress(UrlRule rule, const QString& firstLine) {
    switch (rule) {
    case UrlRule::FirstWord:
        return WebAddressFromText(firstLine);
    case UrlRule::InText:
        return WebAddressInText(firstLine);
    case UrlRule::Never:
        break;
    }
    return {};
}

bool OpenWebAddress(const QUrl& url) {
    if (url.isEmpty())
        return false;
    if (Opener())
        return Opener()(url);
    return QDesktopServices::openUrl(url);
}

void SetWebAddressOpener(WebAddressOpener opener) {
    Opener() = std::move(opener);
}
