#include "KeyIndicators.h"

#include <QGuiApplication>

#ifdef KEYSTOW_HAVE_XKB
#include <X11/XKBlib.h>
#endif

KeyIndicators ReadKeyIndicators() {
    KeyIndicators state;
#ifdef KEYSTOW_HAVE_XKB
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return state;
    auto named = [display](const char* name) {
        Bool on = False;
        const Atom atom = XInternAtom(display, name, True);
        if (atom == None)
            return false;
        XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr);
        return on != False;
    };
    state.capsLock = named("Caps Lock");
    state.numLock = named("Num Lock");
    state.scrollLock = named("Scroll Lock");
    state.known = true;
#endif
    return state;
}
