#pragma once

#include <QUrl>

#include <functional>

class QString;

// Which part of a field's first line Open URL takes.
enum class UrlRule {
    // Passwords and user names: never, so a secret typed there never reaches the network.
    Never,
    // Address fields: the first word, as typed with its scheme or a bare host name.
    FirstWord,
    // Every other field: an address spelled out with http:// or https:// anywhere in the text.
    InText,
};

// What a field's text opens in the browser: the text up to its first blank, when that is a
// web address (http, https, ftp, mailto, or a bare host name such as www.example.org, which
// gets https). An empty URL for anything else: local paths, other schemes and e-mail addresses
// are never opened.
QUrl WebAddressFromText(const QString& text);

// The address that starts at the first http:// or https:// of the text and ends at the next
// blank; empty when there is none or it names no host.
QUrl WebAddressInText(const QString& text);

// The address Open URL opens for a field's first line under the field's rule; empty: nothing.
QUrl FieldWebAddress(UrlRule rule, const QString& firstLine);

// Opens an address found by the functions above. False when nothing was opened.
bool OpenWebAddress(const QUrl& url);

// Who opens an accepted address; QDesktopServices::openUrl unless replaced (tests replace it
// so no browser starts). An empty opener restores the default.
using WebAddressOpener = std::function<bool(const QUrl&)>;
void SetWebAddressOpener(WebAddressOpener opener);
