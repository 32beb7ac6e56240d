#pragma once

#include <functional>

// Runs work on a pool thread while the window keeps painting and its timers keep running, with
// a busy cursor; returns when the work is done. Input is held back meanwhile, so nothing can
// close or change the document that the work reads or writes. work must not touch widgets.
// Used for opening and saving, where deriving a strong file's key takes a noticeable moment.
void RunWithBusyCursor(const std::function<void()>& work);
