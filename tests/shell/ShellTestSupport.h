#pragma once

#include "CEditorApp.h"
#include "CMainFrame.h"

#include <QCoreApplication>
#include <QObject>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Each part of the shell tests is its own QtTest class; tst_shell runs them in turn.
std::unique_ptr<QObject> CreateLockSettingsTest();
std::unique_ptr<QObject> CreateSettingsTest();
std::unique_ptr<QObject> CreateMainFrameTest();
std::unique_ptr<QObject> CreateDocumentWindowsTest();
std::unique_ptr<QObject> CreateScreenLockTest();
std::unique_ptr<QObject> CreateLockDialogsTest();
std::unique_ptr<QObject> CreateLockWindowTest();
std::unique_ptr<QObject> CreateSingleInstanceTest();
std::unique_ptr<QObject> CreateHandOverTest();
std::unique_ptr<QObject> CreateShellFilesTest();
std::unique_ptr<QObject> CreateWriteFaultsTest();
std::unique_ptr<QObject> CreateFileChangesTest();

// The whole program started as at a normal start, with its settings, lock settings and files
// in a folder of the test's own.
class ShellFixture {
protected:
    // Returns false (the test then fails) when start-up did not complete.
    bool StartShell() {
        m_dir = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir->path());
        m_app = std::make_unique<CEditorApp>();
        m_app->SetLockSettingsPath(m_dir->filePath(QStringLiteral("locksettings.dat")));
        if (!m_app->InitInstance())
            return false;
        m_frame = m_app->MainFrame();
        return QTest::qWaitForWindowExposed(m_frame);
    }

    void StopShell() {
        m_app.reset();
        m_frame = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_dir.reset();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CEditorApp> m_app;
    CMainFrame* m_frame = nullptr;
};
