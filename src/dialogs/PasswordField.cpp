#include "PasswordField.h"

#include <QLabel>
#include <QLineEdit>

namespace {
void Wipe(QByteArray& bytes) {
    bytes.fill('\0');
    bytes.clear();
}

// Drops the last character, both halves of a surrogate pair included.
void ChopCharacter(QString& text) {
    text.chop(1);
    if (!text.isEmpty() && text.back().isHighSurrogate())
        text.chop(1);
}
} // namespace

QLineEdit* NewPasswordEdit(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setEchoMode(QLineEdit::Password);
    edit->setMaxLength(32767);
    return edit;
}

QString CutPassword(const QString& text) {
    QString cut = text.left(kMaxPasswordBytes);
    if (cut.size() < text.size() && cut.back().isHighSurrogate())
        cut.chop(1);
    // Single-byte code pages end here; a multi-byte one may need a few characters less.
    QByteArray bytes;
    while (!cut.isEmpty() && PasswordToLegacyBytes(cut, bytes) == PasswordCheck::TooLong)
        ChopCharacter(cut);
    Wipe(bytes);
    return cut;
}

PasswordCheck CheckCodePage(const QString& password) {
    QByteArray bytes;
    const PasswordCheck check = PasswordToLegacyBytes(CutPassword(password), bytes);
    Wipe(bytes);
    return check;
}

QLabel* NewProblemLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("passwordProblem"));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(176, 0, 0));
    label->setPalette(palette);
    label->hide();
    return label;
}

void ShowPasswordProblem(QLabel* label, PasswordCheck check) {
    if (check == PasswordCheck::Ok || check == PasswordCheck::Empty) {
        label->clear();
        label->hide();
        return;
    }
    label->setText(PasswordCheckMessage(check));
    label->show();
}
