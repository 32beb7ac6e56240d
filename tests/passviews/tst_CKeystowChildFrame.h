#pragma once

#include "FrameworkFixture.h"

#include <QObject>
#include <QTemporaryDir>

#include <memory>

class CKeystowDoc;
class CMDIFrameWnd;
class CWinApp;

class TestCKeystowChildFrame : public QObject, protected FrameworkFixture {
    Q_OBJECT
public:
    TestCKeystowChildFrame();
    ~TestCKeystowChildFrame() override;

private slots:
    void init();
    void cleanup();
    void newWindowLayout();
    void viewIdsAndKinds();
    void activationMaximises_data();
    void activationMaximises();
    void showPaneViewShowsExactlyOne_data();
    void showPaneViewShowsExactlyOne();
    void unknownIdChangesNothing();
    void treeSelectionPicksTheView_data();
    void treeSelectionPicksTheView();
    void splitterAddViewThatFailsKeepsThePane();

private:
    CKeystowDoc* NewDoc();
};
