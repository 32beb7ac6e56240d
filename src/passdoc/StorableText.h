#pragma once

#include <QString>

// The first character that a passwords file cannot hold so that standard XML readers accept
// it (control characters other than tab and line breaks, a zero above all, which would end the
// text; unpaired surrogates; U+FFFE and U+FFFF), or -1.
int FirstUnstorable(const QString& text);

// "holds the character U+001B, which the file cannot keep"
QString UnstorableMessage(int character);
