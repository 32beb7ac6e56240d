#pragma once

#include "CActivityHost.h"
#include "FrameworkFixture.h"
#include "TestWebServer.h"

#include <QObject>
#include <QVariant>

#include <memory>

class CKeystowBrowserChildFrame;
class CMultiDocTemplate;

// Browser windows in a skeleton of the program, with pages from a local test server.
class TestBrowserWindow : public QObject, private FrameworkFixture {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void newWindowShowsStartPage();
    void navigationBackAndForward();
    void linkWithTargetOpensSecondWindow();
    void keysMoveBetweenAddressAndPage();
    void keyboardKeptAfterEnteringAddress();
    void copyActsOnAddressFieldOrPage();
    void pasteGreyedWithoutText();
    void locationRequestRefused();
    void pageDialogsCancelledWhileLocked();
    void pageDialogsCloseWithTheLock_data();
    void pageDialogsCloseWithTheLock();
    void authenticationAskedUnlessLocked_data();
    void authenticationAskedUnlessLocked();
    void pageInputIsActivity();
    void downloadWaitsForUnlock_data();
    void downloadWaitsForUnlock();
    void ownPagesLeaveAddressEmpty();
    void twoWindowsKeepBothAddresses();
    void pageWindowsNeedKeyAndUnlock_data();
    void pageWindowsNeedKeyAndUnlock();
    void webPagesCannotReachOwnPages_data();
    void webPagesCannotReachOwnPages();
    void localPagesReadNoOtherFile_data();
    void localPagesReadNoOtherFile();
    void addressListOpensWithoutReload_data();
    void addressListOpensWithoutReload();
    void browsingLeavesOnlyHistory();

private:
    CKeystowBrowserChildFrame* OpenWindow();
    void Enter(CKeystowBrowserChildFrame* frame, const QString& text);
    QVariant RunScript(CKeystowBrowserChildFrame* frame, const QString& script);
    QStringList HistoryFileLines() const;

    CMultiDocTemplate* m_template = nullptr;
    std::unique_ptr<CActivityHost> m_host;
    std::unique_ptr<TestWebServer> m_server;
};
