#pragma once

#include <QObject>

#include <memory>

// Each part of the shell tests is its own QtTest class; tst_shell runs them in turn.
std::unique_ptr<QObject> CreateLockSettingsTest();
std::unique_ptr<QObject> CreateSettingsTest();
std::unique_ptr<QObject> CreateMainFrameTest();
std::unique_ptr<QObject> CreateDocumentWindowsTest();
std::unique_ptr<QObject> CreateScreenLockTest();
std::unique_ptr<QObject> CreateLockDialogsTest();
std::unique_ptr<QObject> CreateLockWindowTest();
