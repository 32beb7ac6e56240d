#pragma once

#include <QString>

class BrowserEngineFactory;

// Loads the engine module when the first browser window asks for it. Until then nothing of the
// web engine is loaded, so a program that never browses starts and runs without it.
namespace BrowserEngine {

// The module's factory, loaded on first use; null when the module cannot be loaded (error
// then says why).
BrowserEngineFactory* Factory(QString* error = nullptr);
// Whether the module has been loaded.
bool IsLoaded();

} // namespace BrowserEngine
