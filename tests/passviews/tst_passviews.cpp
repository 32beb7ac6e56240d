#include "tst_AccountForms.h"
#include "tst_AddPages.h"
#include "tst_CKeystowChildFrame.h"
#include "tst_CKeystowDoc.h"
#include "tst_CLeftView.h"
#include "tst_SecretCopy.h"
#include "tst_ViewActivity.h"
#include "tst_WebAddress.h"

#include "TestRunner.h"

#include <QApplication>

// One executable for the area; each class runs in turn and any failure fails the run.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestSettingsFolder settings;
    int status = 0;
    status |= RunTestClass<TestCKeystowDoc>("TestCKeystowDoc", argc, argv);
    status |= RunTestClass<TestCKeystowChildFrame>("TestCKeystowChildFrame", argc, argv);
    status |= RunTestClass<TestCLeftView>("TestCLeftView", argc, argv);
    status |= RunTestClass<TestAccountForms>("TestAccountForms", argc, argv);
    status |= RunTestClass<TestSecretCopy>("TestSecretCopy", argc, argv);
    status |= RunTestClass<TestAddPages>("TestAddPages", argc, argv);
    status |= RunTestClass<TestWebAddress>("TestWebAddress", argc, argv);
    status |= RunTestClass<TestViewActivity>("TestViewActivity", argc, argv);
    return status;
}
