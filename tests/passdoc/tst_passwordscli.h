#pragma once

#include <QObject>
#include <QTemporaryDir>

// keystow-cli list, export and import, run as a separate process.
class TestPasswordsCli : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void importWritesTheLayout();
    void listNamesKindAndName();
    void exportJsonGivesTheReaderRules_data();
    void exportJsonGivesTheReaderRules();
    void notAPasswordsDocument_data();
    void notAPasswordsDocument();
    void exportCsvToOwnerOnlyFile();
    void importFromStandardInput();
    void importReplacesOnlyWithForce();
    void failures_data();
    void failures();

private:
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};
