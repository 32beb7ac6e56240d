#pragma once

class QWebEngineProfile;
struct BrowserHostHooks;

// Downloads a page starts: the save dialog asks where to put the file; a download asked for
// while the screen is locked is refused without showing anything. A downloaded file is never
// opened.
namespace BrowserDownloads {

void Attach(QWebEngineProfile* profile, const BrowserHostHooks* hooks);

} // namespace BrowserDownloads
