#pragma once

#include <QObject>

// The KeePass XML export and import and the CSV import, without the real password manager.
class TestAccountsMigration : public QObject {
    Q_OBJECT
private slots:
    void xmlRoundTrip_data();
    void xmlRoundTrip();
    void csvRoundTrip_data();
    void csvRoundTrip();
    void xmlLayout();
    void xmlExportRefusesControlCharacters();
    void xmlImport_data();
    void xmlImport();
    void xmlRefused_data();
    void xmlRefused();
    void csvImport_data();
    void csvImport();
    void csvRefused_data();
    void csvRefused();
};
