#pragma once

// The seam between browser windows and the web engine. The engine lives in a module of its
// own (keystow_webengine) that is loaded when the first browser window opens, so a program
// that never browses neither loads nor starts it. The module knows nothing of the program:
// what it needs from it comes through BrowserHostHooks.

#include <QString>
#include <QUrl>
#include <QVariant>

#include <functional>

class QDialog;
class QWidget;

struct BrowserHostHooks {
    // Whether the screen is locked now.
    std::function<bool()> isLocked;
    // A person used a page.
    std::function<void()> stampActivity;
    // Makes a dialog a page raised close as cancelled when the screen locks.
    std::function<void(QDialog*)> closeWhenLocked;
    // Asks where to save a download; an empty answer cancels it.
    std::function<QString(const QString& suggestedPath)> askDownloadPath;
};

// One web page in one browser view.
class BrowserPane {
public:
    enum EditAction { Cut, Copy, Paste, Undo, SelectAll };

    virtual ~BrowserPane() = default;

    virtual QWidget* Widget() = 0;
    virtual void Load(const QUrl& url) = 0;
    virtual void Back() = 0;
    virtual void Forward() = 0;
    virtual void Reload() = 0;
    virtual void Stop() = 0;
    virtual bool CanGoBack() const = 0;
    virtual bool CanGoForward() const = 0;
    virtual bool IsLoading() const = 0;
    virtual void Edit(EditAction action) = 0;
    virtual QUrl Url() const = 0;
    virtual void RunScript(const QString& script, std::function<void(const QVariant&)> done) = 0;
    virtual int RefusedPermissionCount() const = 0;

    // Set by the view.
    std::function<void(const QString& title)> onTitleChanged;
    // A page finished (failed: the engine's error page shows instead).
    std::function<void(const QUrl& url, bool failed)> onPageFinished;
    std::function<void(bool back, bool enabled)> onHistoryChanged;
    std::function<void(bool loading)> onLoadingChanged;
    // The pane of a new browser window, for a page that asked for one; null refuses.
    std::function<BrowserPane*()> onNewWindow;
    std::function<void(int feature)> onPermissionRefused;
    // A window the page asked for was refused (no click or key press led to it, or locked).
    std::function<void()> onWindowBlocked;
};

class BrowserEngineFactory {
public:
    virtual ~BrowserEngineFactory() = default;
    // Starts the engine on first use.
    virtual BrowserPane* CreatePane(QWidget* parent) = 0;
};

// The one function the module exports.
using BrowserEngineEntry = BrowserEngineFactory* (*)(const BrowserHostHooks* hooks);
#define KEYSTOW_BROWSER_ENGINE_ENTRY "keystow_browser_engine"
