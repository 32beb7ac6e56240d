#pragma once

class QWebEngineProfile;
struct BrowserHostHooks;

// Downloads a page starts: the save dialog asks where to put the file, and a download asked
// for while the screen is locked waits until the unlock before anything shows. A downloaded
// file is never opened.
namespace BrowserDownloads {

void Attach(QWebEngineProfile* profile, const BrowserHostHooks* hooks);

} // namespace BrowserDownloads
