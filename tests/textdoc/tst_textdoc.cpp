#include "tst_editex.h"
#include "tst_editordoc.h"
#include "tst_editorview.h"

#include "TestRunner.h"

#include <QApplication>

// One executable for the area; each class runs in turn and any failure fails the run.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestSettingsFolder settings;
    int status = 0;
    status |= RunTestClass<TestCEditEx>("TestCEditEx", argc, argv);
    status |= RunTestClass<TestCEditorView>("TestCEditorView", argc, argv);
    status |= RunTestClass<TestCEditorDoc>("TestCEditorDoc", argc, argv);
    return status;
}
