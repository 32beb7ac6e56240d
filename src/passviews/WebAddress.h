#pragma once

#include <QUrl>

#include <functional>

class QString;
class QWidget;

// What a field's text opens in the browser: the text up to its first blank, when that is a
// web address (http, https, ftp, mailto, or a bare host name such as www.example.org, which
// gets https). An empty URL for anything else: local paths and other schemes are never opened.
QUrl WebAddressFromText(const QString& text);

// Opens the address of the text, or tells the person (caption AppCaption()) why not. False
// when nothing was opened. Empty text opens nothing and says nothing.
bool OpenWebAddress(QWidget* parent, const QString& text);

// Who opens an accepted address; QDesktopServices::openUrl unless replaced (tests replace it
// so no browser starts). An empty opener restores the default.
using WebAddressOpener = std::function<bool(const QUrl&)>;
void SetWebAddressOpener(WebAddressOpener opener);
