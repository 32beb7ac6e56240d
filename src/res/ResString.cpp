#include "ResString.h"

#include "resource.h"

#include <QHash>

namespace {
const QHash<int, QString>& Table() {
    static const QHash<int, QString> table = {
        {IDS_APP_TITLE, QStringLiteral("Keystow Editor")},
        {IDS_OLE_INIT_FAILED,
         QStringLiteral("OLE initialization failed.  Make sure that the OLE libraries are the "
                        "correct version.")},
        {ID_INDICATOR_POSITION, QStringLiteral(" ")},
        {IDR_TEXTTYPE, QStringLiteral("\nUntitled\nUEdit\nKeystow Encrypted Text Files "
                                      "(*.etx)\n.etx\nEtx.Document\nKeystow Encrypted Text")},
        {IDR_KEYSTOWTYPE, QStringLiteral("\nUntitled\nWebAcc\nKeystow Encrypted Data Files "
                                         "(*.ksw)\n.ksw\nKsw.Document\nKeystow Encrypted Data")},
        // The frame's own commands.
        {ID_HELP_WEBSITE, QStringLiteral("Opens Keystow Editor Web Site...")},
        {ID_SCREEN_LOCK_OPTIONS,
         QStringLiteral("Setup inactivity timeout and screen lock password...")},
        {ID_LOCK, QStringLiteral("Lock the screen\nLock")},
        {ID_WIZARD, QStringLiteral("View Welcome dialog (Wizard)...\nWizard")},
        {ID_WEB_BROWSER, QStringLiteral("Open a new built-in Web Browser window...\nWeb")},
        {ID_HELP, QStringLiteral("Display help...")},
        {ID_SET_FILE_PASSWORD, QStringLiteral("Set or change the file password...")},
        {ID_NEW_DOCUMENT_ENCRYPTION,
         QStringLiteral("Choose the encryption new documents start with...")},
        // The account tree's context menu; Rename has no prompt.
        {ID_ADD_WEB_ACCOUNT, QStringLiteral("Add Web Account...")},
        {ID_ADD_EMAIL_ACCOUNT, QStringLiteral("Add Email Account...")},
        {ID_ADD_OTHER_ACCOUNT, QStringLiteral("Add Other Account...")},
        {ID_DELETE_ACCOUNT, QStringLiteral("Delete selected account...")},
        // Browser windows.
        {IDS_GO_BACK, QStringLiteral("Back")},
        {IDS_GO_FORWARD, QStringLiteral("Forward")},
        {IDS_VIEW_STOP, QStringLiteral("Stop")},
        {IDS_VIEW_REFRESH, QStringLiteral("Refresh")},
        {IDS_GO_HOME, QStringLiteral("Home")},
        // Standard commands.
        {ID_FILE_NEW, QStringLiteral("Create a new document\nNew")},
        {ID_FILE_OPEN, QStringLiteral("Open an existing document\nOpen")},
        {ID_FILE_CLOSE, QStringLiteral("Close the active document\nClose")},
        {ID_FILE_SAVE, QStringLiteral("Save the active document\nSave")},
        {ID_FILE_SAVE_AS, QStringLiteral("Save the active document with a new name\nSave As")},
        {ID_FILE_PRINT_SETUP,
         QStringLiteral("Change the printer and printing options\nPage Setup")},
        {ID_FILE_PRINT, QStringLiteral("Print the active document\nPrint")},
        {ID_FILE_PRINT_PREVIEW, QStringLiteral("Display full pages\nPrint Preview")},
        {ID_FILE_MRU_FILE1, QStringLiteral("Open this document")},
        {ID_FILE_MRU_FILE2, QStringLiteral("Open this document")},
        {ID_FILE_MRU_FILE3, QStringLiteral("Open this document")},
        {ID_FILE_MRU_FILE4, QStringLiteral("Open this document")},
        {ID_EDIT_CLEAR, QStringLiteral("Erase the selection\nErase")},
        {ID_EDIT_COPY, QStringLiteral("Copy the selection to the clipboard\nCopy")},
        {ID_EDIT_CUT, QStringLiteral("Cut the selection to the clipboard\nCut")},
        {ID_EDIT_FIND, QStringLiteral("Find the specified text\nFind")},
        {ID_EDIT_PASTE, QStringLiteral("Insert the clipboard contents\nPaste")},
        {ID_EDIT_REPEAT, QStringLiteral("Repeat the last search\nFind Next")},
        {ID_EDIT_REPLACE, QStringLiteral("Replace specific text with different text\nReplace")},
        {ID_EDIT_SELECT_ALL, QStringLiteral("Select the entire document\nSelect All")},
        {ID_EDIT_UNDO, QStringLiteral("Undo the last action\nUndo")},
        {ID_EDIT_GOTO_URL, QStringLiteral("Open URL in a browser...")},
        {ID_APP_ABOUT, QStringLiteral("Display program information and version\nAbout")},
        {ID_APP_EXIT, QStringLiteral("Quit the application; prompts to save documents\nExit")},
        {ID_VIEW_TOOLBAR, QStringLiteral("Show or hide the toolbar\nToggle ToolBar")},
        {ID_VIEW_STATUS_BAR, QStringLiteral("Show or hide the status bar\nToggle StatusBar")},
        {ID_WINDOW_ARRANGE,
         QStringLiteral("Arrange icons at the bottom of the window\nArrange Icons")},
        {ID_WINDOW_CASCADE, QStringLiteral("Arrange windows so they overlap\nCascade Windows")},
        {ID_WINDOW_TILE_HORZ,
         QStringLiteral("Arrange windows as non-overlapping tiles\nTile Windows")},
    };
    return table;
}
} // namespace

QString ResString(int id) {
    return Table().value(id);
}
