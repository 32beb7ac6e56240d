#pragma once

#include "tst_ViewsFixture.h"

#include <QObject>

class TestAccountForms : public QObject {
    Q_OBJECT
private slots:
    void init() { m_fx.Init(); }
    void cleanup() { m_fx.Cleanup(); }
    void typingChangesExactlyThatRecord_data();
    void typingChangesExactlyThatRecord();
    void notesKeepTheirLineBreaks();
    void saveButtonWritesTheDocument();
    void deleteButtonAndModifiedFlag_data();
    void deleteButtonAndModifiedFlag();
    void editCommandEnabling_data();
    void editCommandEnabling();
    void openUrl_data();
    void openUrl();
    void openUrlIsGreyedInOtherForm();
    void wideningThePaneWidensNameAndFields_data();
    void wideningThePaneWidensNameAndFields();

private:
    ViewsFixture m_fx;
};
