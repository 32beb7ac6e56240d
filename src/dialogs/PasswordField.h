#pragma once

#include "PasswordEncoding.h"

#include <QString>

class QLabel;
class QLineEdit;
class QWidget;

// A masked, unlimited edit field for a password; the length limit applies when it is read.
QLineEdit* NewPasswordEdit(QWidget* parent);

// The password as a dialog hands it over: at most kMaxPasswordBytes code-page bytes, cut at a
// whole character. Text the code page cannot hold is cut by characters instead.
QString CutPassword(const QString& text);

// Whether the legacy code page can hold the password (cut as above); Ok, Empty or
// NotInCodePage.
PasswordCheck CheckCodePage(const QString& password);

// A hidden, word-wrapped label for the reason a password is refused.
QLabel* NewProblemLabel(QWidget* parent);
// Shows the sentence for the check on the label, or hides the label for Ok and Empty.
void ShowPasswordProblem(QLabel* label, PasswordCheck check);
