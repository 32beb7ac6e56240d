#include "tst_accountlist.h"
#include "tst_accountsexport.h"
#include "tst_accountsmigration.h"
#include "tst_passwordscli.h"
#include "tst_passwordsmarkup.h"
#include "tst_xmltext.h"

#include <QCoreApplication>
#include <QtTest>

// The passdoc tests are several QtTest classes in one executable; each runs in turn.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int failed = 0;
    {
        TestXmlText test;
        failed += QTest::qExec(&test, argc, argv);
    }
    {
        TestAccountList test;
        failed += QTest::qExec(&test, argc, argv);
    }
    {
        TestPasswordsMarkup test;
        failed += QTest::qExec(&test, argc, argv);
    }
    {
        TestAccountsExport test;
        failed += QTest::qExec(&test, argc, argv);
    }
    {
        TestAccountsMigration test;
        failed += QTest::qExec(&test, argc, argv);
    }
    {
        TestPasswordsCli test;
        failed += QTest::qExec(&test, argc, argv);
    }
    return failed == 0 ? 0 : 1;
}
