#include "CryptoTestSupport.h"

#include <QtTest>

int main(int argc, char* argv[]) {
    int failures = 0;
    // The container tests lower the process's file size limit for a while, and the file access
    // tests switch core dumps off for good: they come last.
    for (auto create : {CreateKeyDerivationTest, CreateSecretStringTest, CreateContainerTest,
                        CreateStrongContainerTest,
                        CreateFileAccessTest}) {
        std::unique_ptr<QObject> test = create();
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
