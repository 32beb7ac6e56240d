#pragma once

#include <QObject>

#include <memory>

// Each part of the crypto tests is its own QtTest class; tst_crypto runs them in turn.
std::unique_ptr<QObject> CreateKeyDerivationTest();
std::unique_ptr<QObject> CreateContainerTest();
std::unique_ptr<QObject> CreateFileAccessTest();
std::unique_ptr<QObject> CreateSecretStringTest();
std::unique_ptr<QObject> CreateStrongContainerTest();
