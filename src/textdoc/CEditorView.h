#pragma once

// CView.h needs the full document class for its inline accessor.
#include "CDocument.h"
#include "CView.h"

#include <QPlainTextEdit>
#include <QPointer>

enum class SaveResult;
class FileIdentity;
enum class FileFormat;
class CEditorDoc;
class CFindReplaceDlg;
class QMenu;
class QPrinter;

// The editor of a text document: plain text in one fixed-pitch font, no wrapping, only plain
// text taken from the clipboard or a drop. It reports the caret's line and column and every
// user action (which keeps the screen lock away), and it serves the edit, search and print
// commands.
class CEditorView : public QPlainTextEdit, public CView {
    Q_OBJECT
public:
    explicit CEditorView(QWidget* parent = nullptr);
    ~CEditorView() override;

    CEditorDoc* GetEditorDoc() const;

    // Loads the file into the view. A file that does not decrypt is reported with the
    // decrypt-failure dialog; false when nothing was loaded. format (when given) receives the
    // container the file uses; read, when given, the identity of the file as it was read.
    bool LoadDocumentFile(const QString& path, const QString& password,
                          FileFormat* format = nullptr, FileIdentity* read = nullptr);
    // Writes the whole text; on success the document is no longer modified. reason says why
    // it failed, without secrets; written, when given, receives the saved file's identity.
    SaveResult SaveDocumentFile(const QString& path, const QString& password, QString* reason,
                                FileFormat format, FileIdentity* written = nullptr);

    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, long hint, QObject* hintObject) override;

    // The whole text, lines separated by carriage return and line feed.
    QString GetAllText() const;
    // Replaces the content without an undo record, caret at the start, not modified.
    void SetLoadedText(const QString& text);

    // " Ln %d, Col %d" for the start of the selection.
    QString StatusText() const;
    // Shows the status text and, when asked, counts as activity.
    void UpdateStatus(bool stampActivity = true);

    // The right-button menu as it stands now; each action carries its command id in data().
    QMenu* CreateContextMenu(QWidget* parent);

    // Searching, as the find and replace dialogs drive it. False when nothing was found.
    bool FindNext(const QString& what, bool matchCase, bool wholeWord, bool down);
    // Replaces the current match (if the selection is one) and finds the next.
    bool ReplaceCurrent(const QString& what, const QString& with, bool matchCase, bool wholeWord);
    // Replaces every match as one undo step; returns how many.
    int ReplaceAll(const QString& what, const QString& with, bool matchCase, bool wholeWord);
    CFindReplaceDlg* FindDialog() const;

    // The printer every text window shares, with the half-inch margins.
    static QPrinter* SharedPrinter();
    // Chooses the shared printer and its options; the application offers it from any window.
    static void PrintSetup(QWidget* parent);
    // Prints the whole text; returns the number of pages.
    int PrintTo(QPrinter* printer) const;

    // Line breaks as the editor keeps them: CR LF and lone CR become LF.
    static QString NormaliseLineBreaks(const QString& text);

signals:
    void StatusTextChanged(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Before and after a loaded text goes in: the view takes its final width while empty, and
    // ends with the caret at the start and the document not modified.
    void PrepareForText();
    void FinishLoadedText();
    // The edit, search and print commands this view serves, each with its enabling rule.
    void RegisterCommands();
    void OnRepeatFind();
    void ShowFindDialog(bool replaceMode);
    // Reads what to find (and what to put instead) from the find or replace dialog.
    void TakeSearchFromDialog(bool replacing);
    void OnFindNext();
    void OnReplace();
    void OnReplaceAll();
    void TellNotFound();
    void Print(bool withDialog);
    void PrintPreview();

    QPointer<CFindReplaceDlg> m_findDlg;
    // What the last search looked for, for Find Next.
    QString m_findText;
    QString m_replaceText;
    bool m_matchCase = false;
    bool m_wholeWord = false;
    bool m_searchDown = true;
};
