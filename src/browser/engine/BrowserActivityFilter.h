#pragma once

#include <QObject>

struct BrowserHostHooks;

// Keys, clicks, mouse moves and wheel turns on a web page count as activity for the screen
// lock. The page's input arrives at a child widget that the engine makes (and may replace), so
// the filter watches the whole application and asks whether the receiver lies in a browser
// view. While the program is locked nothing is stamped; the lock swallows that input.
class BrowserActivityFilter : public QObject {
    Q_OBJECT
public:
    // Installs the one filter of the application; further calls do nothing.
    static void Install(const BrowserHostHooks* hooks);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit BrowserActivityFilter(const BrowserHostHooks* hooks, QObject* parent)
        : QObject(parent), m_hooks(hooks) {}

    const BrowserHostHooks* m_hooks;
};
