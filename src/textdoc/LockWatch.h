#pragma once

class QDialog;

// Dialogs that are not the program's own modal dialogs (find and replace, print, print
// preview) would stay on screen above the lock window and show the text they hold. This closes
// the dialog, as cancelled, at the first 100 ms tick after the main frame has locked.
void CloseWhenLocked(QDialog* dialog);
