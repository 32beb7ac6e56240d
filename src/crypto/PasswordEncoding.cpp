#include "PasswordEncoding.h"

#include "KeyDerivation.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

// Code points of bytes 0x80..0x9F in Windows-1252; the five unassigned bytes map to the C1
// control of the same value, as the Windows conversion does.
const char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString& CodePageName() {
    static QString name = QStringLiteral("windows-1252");
    return name;
}

bool IsCp1252(const QString& name) {
    const QString n = name.toLower();
    return n == u"windows-1252" || n == u"cp1252";
}

bool ToCp1252(const QString& password, QByteArray& out) {
    out.clear();
    out.reserve(password.size());
    for (QChar ch : password) {
        const char16_t u = ch.unicode();
        if (u != 0 && (u < 0x80 || (u >= 0xA0 && u <= 0xFF))) {
            out.append(static_cast<char>(u));
            continue;
        }
        int found = -1;
        for (int i = 0; i < 32; ++i)
            if (kCp1252High[i] == u)
                found = 0x80 + i;
        if (found < 0)
            return false;
        out.append(static_cast<char>(found));
    }
    return true;
}

// Any other code page Qt knows; refused unless it converts back to exactly the same text.
bool ToOtherCodePage(const QString& password, QByteArray& out) {
    QStringEncoder encoder(CodePageName().toUtf8().constData());
    QStringDecoder decoder(CodePageName().toUtf8().constData());
    if (!encoder.isValid() || !decoder.isValid())
        return false;
    out = encoder.encode(password);
    if (encoder.hasError() || out.contains('\0'))
        return false;
    const QString back = decoder.decode(out);
    return !decoder.hasError() && back == password;
}

} // namespace

QString LegacyCodePage() {
    return CodePageName();
}

bool SetLegacyCodePage(const QString& name) {
    if (!IsCp1252(name)) {
        QStringEncoder encoder(name.toUtf8().constData());
        if (!encoder.isValid())
            return false;
    }
    CodePageName() = name;
    return true;
}

PasswordCheck PasswordToLegacyBytes(const QString& password, QByteArray& out) {
    out.clear();
    if (password.isEmpty())
        return PasswordCheck::Empty;
    const bool ok =
        IsCp1252(CodePageName()) ? ToCp1252(password, out) : ToOtherCodePage(password, out);
    if (!ok) {
        WipeBytes(out);
        return PasswordCheck::NotInCodePage;
    }
    if (out.size() > kMaxPasswordBytes) {
        WipeBytes(out);
        return PasswordCheck::TooLong;
    }
    return PasswordCheck::Ok;
}

PasswordCheck CheckPassword(const QString& password) {
    QByteArray bytes;
    const PasswordCheck check = PasswordToLegacyBytes(password, bytes);
    if (check != PasswordCheck::Ok)
        return check;
    DesKey key = KeyFromPassword(bytes);
    WipeBytes(bytes);
    const bool weak = CheckKey(key) != 0;
    WipeKey(key);
    return weak ? PasswordCheck::WeakKey : PasswordCheck::Ok;
}

QString PasswordCheckMessage(PasswordCheck check) {
    switch (check) {
    case PasswordCheck::Ok:
        return {};
    case PasswordCheck::Empty:
        return QStringLiteral("The password is empty.");
    case PasswordCheck::TooLong:
        return QStringLiteral("The password is longer than %1 characters.").arg(kMaxPasswordBytes);
    case PasswordCheck::NotInCodePage:
        return QStringLiteral("The password contains a character that passwords cannot hold "
                              "(code page %1). Please use other characters.")
            .arg(LegacyCodePage());
    case PasswordCheck::WeakKey:
        return QStringLiteral(
            "This password gives a weak encryption key. Please choose another password.");
    }
    return {};
}
