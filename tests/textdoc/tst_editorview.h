#pragma once

#include <QObject>

class TestCEditorView : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void editorSettings();
    void loadedTextRoundTrips_data();
    void loadedTextRoundTrips();
    void statusText_data();
    void statusText();
    void keyDownShowsPositionBeforeKey();
    void activityIsStamped();
    void pasteTakesPlainTextOnly_data();
    void pasteTakesPlainTextOnly();
    void droppedFilesGoToTheWindow();
    void contextMenuItems();
    void find_data();
    void find();
    void replaceAllIsOneUndoStep();
    void replaceAll_data();
    void replaceAll();
    void findDialogTellsWhenNotFound();
    void replaceDialogReplacesAndFindsNext();
    void printToPdfMakesPages_data();
    void printToPdfMakesPages();
    void printPreviewShowsThePages();
    void searchAndPreviewCloseWhenLocked();
    void statusGoesToPaneOne();
};
