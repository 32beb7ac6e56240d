#pragma once

#include <QObject>
#include <QTemporaryDir>

// The address history and its file, without any browser window.
class TestBrowserHistory : public QObject {
    Q_OBJECT
private slots:
    void init();
    void enteredAddress_data();
    void enteredAddress();
    void chosenAddressMovesToTop();
    void writtenOldestFirstAndReadBack();
    void spacesAndBreaksRemovedOnReading();
    void longLinesReadWhole();
    void nonLatinAddressesSurviveAndOldFilesStillLoad();
    void savedOwnerOnlyAndFailureKeepsOldFile();
    void noDataFolderNoFile_data();
    void noDataFolderNoFile();

private:
    QString Path() const;
    std::unique_ptr<QTemporaryDir> m_dir;
};
