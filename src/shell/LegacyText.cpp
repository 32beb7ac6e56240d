#include "LegacyText.h"

#include <PasswordEncoding.h>

#include <QStringDecoder>

#include <array>

namespace {
// The code page's 256 characters, found by asking the encoder about each character once.
// Used when Qt has no decoder of its own for the code page.
const std::array<char16_t, 256>& ProbedTable() {
    static QString probedFor;
    static std::array<char16_t, 256> table{};
    if (probedFor == LegacyCodePage())
        return table;
    probedFor = LegacyCodePage();
    for (int b = 0; b < 256; ++b)
        table[b] = static_cast<char16_t>(b);
    std::array<bool, 256> found{};
    QByteArray bytes;
    for (char32_t u = 1; u <= 0xFFFF; ++u) {
        if (u >= 0xD800 && u <= 0xDFFF)
            continue;
        const QChar ch(static_cast<char16_t>(u));
        if (PasswordToLegacyBytes(QString(ch), bytes) != PasswordCheck::Ok || bytes.size() != 1)
            continue;
        const auto b = static_cast<unsigned char>(bytes[0]);
        // The first (lowest) character wins, so a byte maps to itself where it can.
        if (!found[b]) {
            found[b] = true;
            table[b] = static_cast<char16_t>(u);
        }
    }
    return table;
}
} // namespace

bool TextToLegacyBytes(const QString& text, QByteArray& out) {
    out.clear();
    if (text.isEmpty())
        return true;
    return PasswordToLegacyBytes(text, out) == PasswordCheck::Ok;
}

QString LegacyBytesToText(const QByteArray& bytes) {
    QStringDecoder decoder(LegacyCodePage().toUtf8().constData());
    if (decoder.isValid()) {
        const QString text = decoder.decode(bytes);
        if (!decoder.hasError())
            return text;
    }
    const std::array<char16_t, 256>& table = ProbedTable();
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes)
        text.append(QChar(table[static_cast<unsigned char>(c)]));
    return text;
}
