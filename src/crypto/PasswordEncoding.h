#pragma once

#include <QByteArray>
#include <QString>

// Passwords of existing files were keyed with the bytes of a Windows code page. A password is
// converted to that code page before key derivation; one that the code page cannot hold is
// refused, never altered.
enum class PasswordCheck { Ok, Empty, TooLong, NotInCodePage, WeakKey };

// The longest password the dialogs accept, counted in code-page bytes.
constexpr int kMaxPasswordBytes = 259;

// The legacy code page name ("windows-1252" unless changed).
QString LegacyCodePage();
// Chooses another code page; returns false (and keeps the current one) for an unknown name.
bool SetLegacyCodePage(const QString& name);

// Converts the password to the legacy code page. Returns Ok, Empty, TooLong or NotInCodePage.
PasswordCheck PasswordToLegacyBytes(const QString& password, QByteArray& out);

// Converts and also refuses passwords whose key is weak. Wipes what it does not return.
PasswordCheck CheckPassword(const QString& password);

// A sentence for the person, never containing the password itself.
QString PasswordCheckMessage(PasswordCheck check);
