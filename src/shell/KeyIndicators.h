#pragma once

// The state of the keyboard's lock keys, where the window system tells it (X11); all false
// elsewhere.
struct KeyIndicators {
    bool capsLock = false;
    bool numLock = false;
    bool scrollLock = false;
    bool known = false;
};

KeyIndicators ReadKeyIndicators();
