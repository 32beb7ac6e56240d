#pragma once

// Answers for the dialogs of the passwords window, for DialogScript.

#include "CModalDialog.h"
#include "CShellDialog.h"
#include "CTimedFileDialog.h"
#include "DialogSteps.h"
#include "DialogScript.h"
#include "resource.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

namespace passsteps {

inline QWidget* Item(QWidget* dialog, int id) {
    return static_cast<CShellDialog*>(dialog)->GetDlgItem(id);
}

inline void Click(QWidget* dialog, int id) {
    auto* button = qobject_cast<QAbstractButton*>(Item(dialog, id));
    QVERIFY2(button, "button missing");
    QVERIFY2(button->isEnabled(), "button disabled");
    button->click();
}

inline DialogScript::Step EnterPassword(const QString& password) {
    return [password](QWidget* d) {
        QCOMPARE(QString(d->metaObject()->className()), QString("CPasswordDlg"));
        auto* edit = qobject_cast<QLineEdit*>(Item(d, IDC_PASSWORD));
        QVERIFY(edit);
        edit->setText(password);
        Click(d, IDOK);
    };
}

// Types the password in both fields of "Set Password"; shown receives what the fields held
// and okText the caption of the confirming button.
inline DialogScript::Step SetPassword(const QString& password, QString* shown = nullptr,
                                      QString* okText = nullptr) {
    return [=](QWidget* d) {
        QCOMPARE(QString(d->metaObject()->className()), QString("CSetPasswordDlg"));
        auto* edit = qobject_cast<QLineEdit*>(Item(d, IDC_PASSWORD));
        auto* confirm = qobject_cast<QLineEdit*>(Item(d, IDC_CONFIRM_PASSWORD));
        QVERIFY(edit && confirm);
        if (shown)
            *shown = edit->text() + "|" + confirm->text();
        if (okText)
            *okText = qobject_cast<QAbstractButton*>(Item(d, IDOK))->text();
        edit->setText(password);
        confirm->setText(password);
        Click(d, IDOK);
    };
}

inline DialogScript::Step Cancel(const char* className) {
    return [className](QWidget* d) {
        QCOMPARE(QString(d->metaObject()->className()), QString(className));
        static_cast<QDialog*>(d)->reject();
    };
}

// Clicks a button of one of the program's small dialogs; label receives a label's text.
inline DialogScript::Step Answer(const char* className, int id, QString* label = nullptr,
                                 int labelId = 0) {
    return [=](QWidget* d) {
        QCOMPARE(QString(d->metaObject()->className()), QString(className));
        if (label) {
            auto* text = qobject_cast<QLabel*>(Item(d, labelId));
            *label = text ? text->text() : QStringLiteral("<no label>");
        }
        Click(d, id);
    };
}

inline DialogScript::Step AcceptMessage(QString* text) {
    return [text](QWidget* d) {
        auto* box = qobject_cast<QMessageBox*>(d);
        QVERIFY2(box, d->metaObject()->className());
        *text = box->text();
        box->accept();
    };
}

} // namespace passsteps
