#include "StorableText.h"

int FirstUnstorable(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if ((c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c == 0xFFFE || c == 0xFFFF) {
            return c;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            ++i;
        } else if (QChar::isSurrogate(c)) {
            return c;
        }
    }
    return -1;
}

QString UnstorableMessage(int character) {
    return QStringLiteral("holds the character U+%1, which the file cannot keep")
        .arg(QString::number(character, 16).toUpper().rightJustified(4, QLatin1Char('0')));
}
