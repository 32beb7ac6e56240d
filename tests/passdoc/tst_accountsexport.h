#pragma once

#include <QObject>

class TestAccountsExport : public QObject {
    Q_OBJECT
private slots:
    void jsonRoundTrip();
    void jsonShape();
    void jsonRefused_data();
    void jsonRefused();
    void jsonAccepted_data();
    void jsonAccepted();
    void csvLayout();
};
