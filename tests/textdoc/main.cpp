#include "tst_CEditEx.h"
#include "tst_CEditorView.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTest>

// One executable for the area; each class runs in turn and any failure fails the run.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    int status = 0;
    {
        TestCEditEx t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestCEditorView t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}
