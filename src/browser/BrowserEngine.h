#pragma once

class QWebEngineProfile;

// The engine profile that every browser window shares. It is made when the first browser
// window opens, so a program that never browses never starts the engine. It keeps nothing on
// disk: no cookies, cache, visited links or form data outlive the program.
namespace BrowserEngine {

QWebEngineProfile* Profile();
// Whether the profile exists yet (the engine has started).
bool IsStarted();

} // namespace BrowserEngine
