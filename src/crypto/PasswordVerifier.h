#pragma once

#include <QByteArray>

// What is kept in place of a password that only has to be recognised again: an Argon2id hash
// in its usual text form ("$argon2id$v=19$m=...,t=...,p=...$salt$hash", under 128 bytes),
// with a fresh salt each time. Checking one costs about 0.07-0.09 s of processor time.
namespace PasswordVerifier {
// The verifier of password; empty when there was not enough memory to make it.
QByteArray Make(const QByteArray& password);
// Whether text has the form of a verifier (as opposed to a password stored as it is).
bool LooksLikeVerifier(const QByteArray& text);
// Whether password is the one verifier was made from. A verifier made with other costs than
// ours is refused unchecked, so that a forged one cannot make the check run for minutes.
bool Check(const QByteArray& verifier, const QByteArray& password);
} // namespace PasswordVerifier
