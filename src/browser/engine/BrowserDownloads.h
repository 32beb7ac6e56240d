#pragma once

class QWebEngineProfile;
struct BrowserHostHooks;

// Downloads a page starts: the save dialog asks where to put the file. A download asked for
// while the screen is locked shows nothing and waits for the unlock; then the dialog asks. A
// downloaded file is never opened.
namespace BrowserDownloads {

void Attach(QWebEngineProfile* profile, const BrowserHostHooks* hooks);

} // namespace BrowserDownloads
