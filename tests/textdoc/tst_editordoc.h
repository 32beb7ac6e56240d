#pragma once

#include "FrameworkFixture.h"

#include <QObject>
#include <QTemporaryDir>

#include <memory>

class CMDIFrameWnd;
class CWinApp;
class TestHost;

class TestCEditorDoc : public QObject, protected FrameworkFixture {
    Q_OBJECT
public:
    TestCEditorDoc();
    ~TestCEditorDoc() override;

private slots:
    void init();
    void cleanup();
    void documentString();
    void editCommandsReachTheView();
    void openWithRightPassword_data();
    void openWithRightPassword();
    void openWithWrongPasswordNamesTheFile_data();
    void openWithWrongPasswordNamesTheFile();
    void openCancelledLeavesNoWindow();
    void openingAnOpenFileActivatesIt();
    void kswFromOpenGoesToPasswordsType();
    void saveTwiceAsksTwicePrefilled();
    void newThenSaveAsThenSaveWritesOneFile();
    void saveAsAppendsExtension_data();
    void saveAsAppendsExtension();
    void saveAsOntoExistingFileDeclined();
    void spacesAndLineBreaksRoundTrip();
    void newThroughTheChooser();
    void saveChangesNamesUntitledEtx();
    void setNewPasswordAsksToSaveOnClose();
    void failedSaveIsReportedAndStaysModified();
    void yesThenFailedSaveKeepsDocumentOpen_data();
    void yesThenFailedSaveKeepsDocumentOpen();
    void saveAsWithPasswordCancelledDoesNotRename();
    void closingWhileLockedAsksScreenPasswordFirst_data();
    void closingWhileLockedAsksScreenPasswordFirst();
    void openThatCannotReadTellsWhy_data();
    void openThatCannotReadTellsWhy();
    void printSetupConfirmsWithOk();
    void openOnlyRegularFiles_data();
    void openOnlyRegularFiles();
    void saveRefusesZeroCharacter();
    void fullDiskKeepsDocumentAndFile();
    void formatCarriedThroughCommands_data();
    void formatCarriedThroughCommands();
    void damagedStrongFileIsRefused();

private:
    QString WriteFile(const QString& name, const QString& password, const QString& text);

    std::unique_ptr<TestHost> m_host;
};
