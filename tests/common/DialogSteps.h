#pragma once

// Steps for DialogScript that several areas share.

#include "CTimedFileDialog.h"
#include "DialogScript.h"

#include <QDialog>
#include <QLineEdit>
#include <QTest>

// Chooses path in the file chooser; initial receives the name it offered.
inline DialogScript::Step ChooseFile(const QString& path, QString* initial = nullptr) {
    return [=](QWidget* d) {
        auto* fd = qobject_cast<CTimedFileDialog*>(d);
        QVERIFY(fd);
        if (initial) {
            const QList<QLineEdit*> edits = fd->findChildren<QLineEdit*>();
            *initial = edits.isEmpty() ? QString() : edits.first()->text();
        }
        // The name field has the focus, so selectFile() would leave it alone: type the path.
        auto* name = fd->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(path);
        static_cast<QDialog*>(fd)->accept(); // QFileDialog's own accept reads the name
    };
}
