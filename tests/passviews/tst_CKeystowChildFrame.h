#pragma once

#include <QObject>
#include <QTemporaryDir>

#include <memory>

class CKeystowDoc;
class CMDIFrameWnd;
class CWinApp;

class TestCKeystowChildFrame : public QObject {
    Q_OBJECT
public:
    TestCKeystowChildFrame();
    ~TestCKeystowChildFrame() override;

private slots:
    void init();
    void cleanup();
    void newWindowLayout();
    void viewIdsAndKinds();
    void showPaneViewShowsExactlyOne_data();
    void showPaneViewShowsExactlyOne();
    void unknownIdChangesNothing();
    void treeSelectionPicksTheView_data();
    void treeSelectionPicksTheView();
    void splitterAddViewThatFailsKeepsThePane();

private:
    CKeystowDoc* NewDoc();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CWinApp> m_app;
    std::unique_ptr<CMDIFrameWnd> m_frame;
};
