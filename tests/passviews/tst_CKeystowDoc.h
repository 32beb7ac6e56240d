#pragma once

#include "FrameworkFixture.h"

#include <QObject>
#include <QTemporaryDir>

#include <memory>

class CKeystowDoc;
class CMDIFrameWnd;
class CWinApp;
class PassTestHost;
struct AccountStore;

class TestCKeystowDoc : public QObject, protected FrameworkFixture {
    Q_OBJECT
public:
    TestCKeystowDoc();
    ~TestCKeystowDoc() override;

private slots:
    void init();
    void cleanup();
    void documentString();
    void openShowsTheWindow();
    void openFailures_data();
    void openFailures();
    void markupVariantsOpenAndSurviveASave_data();
    void markupVariantsOpenAndSurviveASave();
    void saveWritesExactlyTheChange();
    void newDocumentSaveAsNames_data();
    void newDocumentSaveAsNames();
    void saveAsOntoExistingFile();
    void saveAsThatDoesNotCompleteChangesNothing_data();
    void saveAsThatDoesNotCompleteChangesNothing();
    void failedSaveIsReportedAndStaysModified_data();
    void failedSaveIsReportedAndStaysModified();
    void newThroughTheChooser_data();
    void newThroughTheChooser();
    void openCommandPicksTheTypeByExtension_data();
    void openCommandPicksTheTypeByExtension();
    void yesThenFailedSaveKeepsDocumentOpen_data();
    void yesThenFailedSaveKeepsDocumentOpen();
    void setNewPasswordMarksModifiedAndClosingAsks();
    void saveChangesNamesUntitledKsw();
    void closingWhileLockedAsksScreenPasswordFirst_data();
    void closingWhileLockedAsksScreenPasswordFirst();
    void saveKeepsTheFormat_data();
    void saveKeepsTheFormat();

private:
    QString WriteAccounts(const QString& name, const QString& password, const AccountStore& store);
    CKeystowDoc* Open(const QString& path, const QString& password);
    CKeystowDoc* NewDoc();

    std::unique_ptr<PassTestHost> m_host;
};
