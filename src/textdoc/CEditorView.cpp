#include "CEditorView.h"

#include "BusyWork.h"
#include "ResString.h"

#include "CActivityHost.h"
#include "CCmdUI.h"
#include "CDecryptFailedDlg.h"
#include "CEditorDoc.h"
#include "CFindReplaceDlg.h"
#include "CLockWatch.h"
#include "CMDIChildWnd.h"
#include "CMDIFrameWnd.h"
#include "CShellDialog.h"
#include "StrongTextFile.h"
#include "TextFeed.h"
#include "TextFile.h"
#include "TextPrinting.h"
#include "TextSearch.h"
#include "resource.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QUrl>

#include <functional>
#include <memory>

namespace {
QFont EditorFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setPointSize(10);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setWeight(QFont::Normal);
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(10);
    }
    return font;
}

std::unique_ptr<QPrinter>& PrinterHolder() {
    static std::unique_ptr<QPrinter> printer;
    return printer;
}

QTextDocument::FindFlags Flags(bool matchCase, bool wholeWord, bool down) {
    QTextDocument::FindFlags flags;
    if (matchCase)
        flags |= QTextDocument::FindCaseSensitively;
    if (wholeWord)
        flags |= QTextDocument::FindWholeWords;
    if (!down)
        flags |= QTextDocument::FindBackward;
    return flags;
}
} // namespace

CEditorView::CEditorView(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFont(EditorFont());
    QPalette pal = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Text, Qt::black);
        pal.setColor(group, QPalette::Base, Qt::white);
    }
    setPalette(pal);
    // Tab stops every half inch, as the page has them.
    setTabStopDistance(logicalDpiX() / 2.0);
    setAcceptDrops(true);
    viewport()->setMouseTracking(true);
    // The status follows the caret also when a search or an undo moves it.
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] { UpdateStatus(false); });
    // Edits mark the document modified; a save or a load clears both marks.
    connect(document(), &QTextDocument::modificationChanged, this, [this](bool modified) {
        if (CDocument* doc = GetDocument())
            doc->SetModifiedFlag(modified);
    });

    RegisterCommands();
}

CEditorDoc* CEditorView::GetEditorDoc() const {
    return qobject_cast<CEditorDoc*>(GetDocument());
}

bool CEditorView::LoadDocumentFile(const QString& path, const QString& password, FileFormat* format,
                                   FileIdentity* read) {
    QString text;
    QString reason;
    ReadOptions options;
    options.identity = read;
    LoadResult loaded = LoadResult::NotRead;
    // An empty editor builds its lines while the rest of the file is still being decrypted;
    // one with text keeps it until the new text is all there.
    std::unique_ptr<TextFeed> feed;
    if (document()->isEmpty()) {
        PrepareForText();
        feed = std::make_unique<TextFeed>(this);
    }
    const TextProgress progress = [&feed](QStringView part) { feed->Add(part); };
    RunWithBusyCursor([&] {
        loaded = LoadTextFile(path, password, text, &reason, options, format,
                              feed ? progress : TextProgress());
    });
    if (feed && loaded != LoadResult::Loaded) {
        feed->Discard();
        feed.reset();
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }
    switch (loaded) {
    case LoadResult::Loaded:
        if (feed) {
            feed->Finish(text);
            feed.reset();
            FinishLoadedText();
        } else {
            SetLoadedText(text);
        }
        text.fill(QChar(0));
        return true;
    case LoadResult::NotDecrypted: {
        CDecryptFailedDlg dlg(window());
        dlg.m_fileName = QFileInfo(path).fileName();
        dlg.DoModal();
        return false;
    }
    case LoadResult::Damaged:
        ShowMessageBox(window(), QMessageBox::Warning,
                       DamagedFileMessage(QFileInfo(path).fileName()));
        break;
    case LoadResult::NotRead:
        ShowMessageBox(window(), QMessageBox::Warning,
                       tr("Cannot open %1.\n%2")
                           .arg(QDir::toNativeSeparators(path),
                                reason.isEmpty() ? tr("The file could not be read.") : reason));
        break;
    }
    return false;
}

SaveResult CEditorView::SaveDocumentFile(const QString& path, const QString& password,
                                         QString* reason, FileFormat format,
                                         FileIdentity* written) {
    QString text = GetAllText();
    SaveResult result = SaveResult::NotWritten;
    RunWithBusyCursor(
        [&] { result = SaveTextFile(path, password, text, reason, format, written); });
    text.fill(QChar(0));
    if (result == SaveResult::Saved) {
        document()->setModified(false);
        if (CDocument* doc = GetDocument())
            doc->SetModifiedFlag(false);
    }
    return result;
}

void CEditorView::OnInitialUpdate() {
    OnUpdate(nullptr, 0, nullptr);
    SetTextPrintMargins(SharedPrinter());
    setLineWrapMode(QPlainTextEdit::NoWrap);
    document()->setModified(false);
    if (CDocument* doc = GetDocument())
        doc->SetModifiedFlag(false);
}

void CEditorView::OnUpdate(CView* sender, long hint, QObject* hintObject) {
    CView::OnUpdate(sender, hint, hintObject);
    UpdateStatus(true);
}

CEditorView::~CEditorView() {
    if (m_findDlg)
        m_findDlg->close();
}

QString CEditorView::NormaliseLineBreaks(const QString& text) {
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

QString CEditorView::GetAllText() const {
    // The raw text keeps every character (no-break spaces stay what they are); only the
    // paragraph ends become CR LF. They are widened in one pass from the back of the same
    // buffer: replacing them in batches moves the rest of a long text again for every batch,
    // and a second buffer would double the memory a save needs.
    QString text = document()->toRawText();
    const qsizetype breaks = text.count(QChar::ParagraphSeparator);
    if (breaks == 0)
        return text;
    qsizetype from = text.size();
    text.resize(from + breaks);
    QChar* units = text.data();
    for (qsizetype to = text.size(); from > 0;) {
        const QChar c = units[--from];
        if (c == QChar::ParagraphSeparator) {
            units[--to] = u'\n';
            units[--to] = u'\r';
        } else {
            units[--to] = c;
        }
    }
    return text;
}

void CEditorView::SetLoadedText(const QString& text) {
    // The document takes CR LF, LF and a lone CR each as one line end itself, as
    // NormaliseLineBreaks does: a normalised copy would only cost time and memory.
    PrepareForText();
    setPlainText(text); // no undo record
    FinishLoadedText();
}

void CEditorView::PrepareForText() {
    // Qt gives every line a layout object whenever the view's width changes with text in it
    // (26 MB at 100 000 lines): take the final width first, scroll bar included, while empty.
    if (auto* frame = qobject_cast<CMDIChildWnd*>(parentWidget()); frame && window()->isVisible())
        frame->ActivateFrame();
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void CEditorView::FinishLoadedText() {
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    moveCursor(QTextCursor::Start);
    document()->setModified(false);
    UpdateStatus(false);
}

QString CEditorView::StatusText() const {
    const QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    const QTextBlock block = document()->findBlock(start);
    const int line = block.blockNumber();
    const int col = start - block.position() + 1;
    return QString::asprintf(" Ln %d, Col %d", line + 1, col);
}

void CEditorView::UpdateStatus(bool stampActivity) {
    const QString text = StatusText();
    emit StatusTextChanged(text);
    if (auto* frame = qobject_cast<CMDIFrameWnd*>(window()))
        frame->SetStatusPaneText(CMDIFrameWnd::PositionPane, text);
    if (stampActivity)
        StampActivity();
}

void CEditorView::keyPressEvent(QKeyEvent* event) {
    UpdateStatus(); // the position before the key
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & Qt::ShiftModifier)) {
        // A soft line break would not survive the file as one; make it a plain new line.
        QKeyEvent plain(event->type(), event->key(), event->modifiers() & ~Qt::ShiftModifier,
                        event->text(), event->isAutoRepeat(), event->count());
        QPlainTextEdit::keyPressEvent(&plain);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CEditorView::keyReleaseEvent(QKeyEvent* event) {
    UpdateStatus();
    QPlainTextEdit::keyReleaseEvent(event);
}

void CEditorView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        UpdateStatus();
    QPlainTextEdit::mouseReleaseEvent(event);
}

void CEditorView::mouseMoveEvent(QMouseEvent* event) {
    StampActivity();
    QPlainTextEdit::mouseMoveEvent(event);
}

bool CEditorView::canInsertFromMimeData(const QMimeData* source) const {
    if (CMDIFrameWnd::HasLocalFiles(source))
        return false;
    return source && source->hasText();
}

void CEditorView::insertFromMimeData(const QMimeData* source) {
    // Plain text only: rich text, pictures and files are never inserted.
    if (!canInsertFromMimeData(source))
        return;
    textCursor().insertText(NormaliseLineBreaks(source->text()));
    ensureCursorVisible();
}

void CEditorView::dragEnterEvent(QDragEnterEvent* event) {
    if (CMDIFrameWnd::HasLocalFiles(event->mimeData())) {
        event->ignore(); // left to the main window, which opens them
        return;
    }
    QPlainTextEdit::dragEnterEvent(event);
}

void CEditorView::dragMoveEvent(QDragMoveEvent* event) {
    if (CMDIFrameWnd::HasLocalFiles(event->mimeData())) {
        event->ignore();
        return;
    }
    QPlainTextEdit::dragMoveEvent(event);
}

void CEditorView::dropEvent(QDropEvent* event) {
    if (CMDIFrameWnd::HasLocalFiles(event->mimeData())) {
        event->ignore();
        return;
    }
    QPlainTextEdit::dropEvent(event);
}

QMenu* CEditorView::CreateContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    const struct {
        const char* text;
        int id;
    } items[] = {{"&Undo\tCtrl+Z", ID_EDIT_UNDO},   {nullptr, 0},
                 {"Cu&t\tCtrl+X", ID_EDIT_CUT},     {"&Copy\tCtrl+C", ID_EDIT_COPY},
                 {"&Paste\tCtrl+V", ID_EDIT_PASTE}, {"Select A&ll\tCtrl+A", ID_EDIT_SELECT_ALL}};
    for (const auto& item : items) {
        if (!item.text) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(tr(item.text));
        action->setData(item.id);
        action->setStatusTip(ResString(item.id).section(QLatin1Char('\n'), 0, 0));
        action->setEnabled(IsCommandEnabled(item.id));
    }
    return menu;
}

void CEditorView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = CreateContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    connect(menu, &QMenu::triggered, this, [this](QAction* action) {
        StampActivity();
        OnCmdMsg(action->data().toInt());
    });
    if (auto* frame = qobject_cast<CMDIFrameWnd*>(window()))
        frame->ShowStatusTipsOf(menu);
    menu->popup(event->globalPos());
}

void CEditorView::RegisterCommands() {
    // Each command once: what it does, and when it can.
    const auto add = [this](int id, std::function<void()> run, std::function<bool()> canRun) {
        OnCommand(
            id,
            [this, run] {
                run();
                UpdateStatus(false);
            },
            [canRun](CCmdUI* ui) { ui->Enable(canRun()); });
    };
    const auto hasText = [this] { return !document()->isEmpty(); };
    const auto canCut = [this] { return !isReadOnly() && textCursor().hasSelection(); };
    const auto always = [] { return true; };

    add(
        ID_EDIT_UNDO, [this] { undo(); },
        [this] { return !isReadOnly() && document()->isUndoAvailable(); });
    add(
        ID_EDIT_CUT, [this] { cut(); }, canCut);
    add(
        ID_EDIT_CLEAR, [this] { textCursor().removeSelectedText(); }, canCut);
    add(
        ID_EDIT_COPY, [this] { copy(); }, [this] { return textCursor().hasSelection(); });
    add(
        ID_EDIT_PASTE, [this] { paste(); }, [this] { return canPaste(); });
    add(
        ID_EDIT_SELECT_ALL, [this] { selectAll(); }, hasText);
    add(
        ID_EDIT_FIND, [this] { ShowFindDialog(false); }, hasText);
    add(
        ID_EDIT_REPLACE, [this] { ShowFindDialog(true); },
        [this, hasText] { return hasText() && !isReadOnly(); });
    add(
        ID_EDIT_REPEAT, [this] { OnRepeatFind(); },
        [this, hasText] { return hasText() && !m_findText.isEmpty(); });
    add(
        ID_FILE_PRINT, [this] { Print(true); }, always);
    add(
        ID_FILE_PRINT_DIRECT, [this] { Print(false); }, always);
    add(
        ID_FILE_PRINT_PREVIEW, [this] { PrintPreview(); }, always);
}

void CEditorView::OnRepeatFind() {
    if (m_findText.isEmpty())
        ShowFindDialog(false);
    else if (!FindNext(m_findText, m_matchCase, m_wholeWord, m_searchDown))
        TellNotFound();
}

// ---- Find and replace

CFindReplaceDlg* CEditorView::FindDialog() const {
    return m_findDlg.data();
}

void CEditorView::ShowFindDialog(bool replaceMode) {
    if (m_findDlg && m_findDlg->IsReplaceMode() != replaceMode)
        m_findDlg->close();
    if (!m_findDlg) {
        m_findDlg = new CFindReplaceDlg(replaceMode, this);
        m_findDlg->setWindowFlag(Qt::Dialog);
        CLockWatch::CloseWhenLocked(m_findDlg);
        connect(m_findDlg, &CFindReplaceDlg::FindNextRequested, this, &CEditorView::OnFindNext);
        connect(m_findDlg, &CFindReplaceDlg::ReplaceRequested, this, &CEditorView::OnReplace);
        connect(m_findDlg, &CFindReplaceDlg::ReplaceAllRequested, this, &CEditorView::OnReplaceAll);
        // Start from the selection when it is a word or two on one line.
        const QString selected = textCursor().selectedText();
        const bool useSelection =
            !selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator);
        m_findDlg->SetFindWhat(useSelection ? selected : m_findText);
        m_findDlg->SetReplaceWith(m_replaceText);
        m_findDlg->SetOptions(m_matchCase, m_wholeWord, m_searchDown);
    }
    m_findDlg->show();
    m_findDlg->raise();
    m_findDlg->activateWindow();
}

bool CEditorView::FindNext(const QString& what, bool matchCase, bool wholeWord, bool down) {
    if (what.isEmpty())
        return false;
    const QTextDocument::FindFlags flags = Flags(matchCase, wholeWord, down);
    const TextSearch search(document());
    const QTextCursor caret = textCursor();
    int at = search.Find(what, down ? caret.selectionEnd() : caret.selectionStart(), flags);
    // Once round: from the other end of the text.
    if (at < 0)
        at = search.Find(what, down ? 0 : document()->characterCount() - 1, flags);
    if (at < 0)
        return false;
    QTextCursor found(document());
    found.setPosition(at);
    found.setPosition(at + int(what.size()), QTextCursor::KeepAnchor);
    setTextCursor(found);
    ensureCursorVisible();
    return true;
}

bool CEditorView::ReplaceCurrent(const QString& what, const QString& with, bool matchCase,
                                 bool wholeWord) {
    QTextCursor cursor = textCursor();
    const Qt::CaseSensitivity cs = matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (cursor.hasSelection() && cursor.selectedText().compare(what, cs) == 0 && !isReadOnly()) {
        cursor.insertText(with);
        setTextCursor(cursor);
    }
    return FindNext(what, matchCase, wholeWord, true);
}

int CEditorView::ReplaceAll(const QString& what, const QString& with, bool matchCase,
                            bool wholeWord) {
    if (what.isEmpty() || isReadOnly())
        return 0;
    const QList<int> starts =
        TextSearch(document()).FindForReplace(what, with, Flags(matchCase, wholeWord, true));
    if (starts.isEmpty())
        return 0;
    // In order from the start, each found place moved by what the earlier ones changed, so
    // that undoing it leaves the caret where it always has.
    const int shift = int(with.size() - what.size());
    QTextCursor edit(document());
    edit.beginEditBlock();
    for (qsizetype i = 0; i < starts.size(); ++i) {
        const int at = starts[i] + int(i) * shift;
        edit.setPosition(at);
        edit.setPosition(at + int(what.size()), QTextCursor::KeepAnchor);
        edit.insertText(with);
    }
    edit.endEditBlock();
    setTextCursor(edit);
    return int(starts.size());
}

void CEditorView::TakeSearchFromDialog(bool replacing) {
    StampActivity();
    m_findText = m_findDlg->FindWhat();
    m_matchCase = m_findDlg->MatchCase();
    m_wholeWord = m_findDlg->MatchWholeWord();
    if (replacing) {
        m_replaceText = m_findDlg->ReplaceWith();
        m_searchDown = true;
    } else {
        m_searchDown = m_findDlg->SearchDown();
    }
}

void CEditorView::OnFindNext() {
    if (!m_findDlg)
        return;
    TakeSearchFromDialog(false);
    if (!FindNext(m_findText, m_matchCase, m_wholeWord, m_searchDown))
        TellNotFound();
}

void CEditorView::OnReplace() {
    if (!m_findDlg)
        return;
    TakeSearchFromDialog(true);
    if (!ReplaceCurrent(m_findText, m_replaceText, m_matchCase, m_wholeWord))
        TellNotFound();
}

void CEditorView::OnReplaceAll() {
    if (!m_findDlg)
        return;
    TakeSearchFromDialog(true);
    if (ReplaceAll(m_findText, m_replaceText, m_matchCase, m_wholeWord) == 0)
        TellNotFound();
}

void CEditorView::TellNotFound() {
    QWidget* parent = m_findDlg && m_findDlg->isVisible() ? static_cast<QWidget*>(m_findDlg)
                                                          : static_cast<QWidget*>(this);
    ShowMessageBox(parent, QMessageBox::Information, tr("Cannot find \"%1\".").arg(m_findText));
}

// ---- Printing

QPrinter* CEditorView::SharedPrinter() {
    std::unique_ptr<QPrinter>& holder = PrinterHolder();
    if (!holder) {
        holder = std::make_unique<QPrinter>(QPrinter::HighResolution);
        SetTextPrintMargins(holder.get());
        // Printers go before the application object does.
        qAddPostRoutine([] { PrinterHolder().reset(); });
    }
    return holder.get();
}

int CEditorView::PrintTo(QPrinter* printer) const {
    QString text = NormaliseLineBreaks(GetAllText());
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    SetTextPrintMargins(printer);
    return PrintPlainText(printer, text, font());
}

void CEditorView::Print(bool withDialog) {
    QPrinter* printer = SharedPrinter();
    if (withDialog) {
        QPrintDialog dialog(printer, this);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        CLockWatch::CloseWhenLocked(&dialog);
        if (dialog.exec() != QDialog::Accepted)
            return;
    }
    StampActivity();
    if (PrintTo(printer) == 0)
        QMessageBox::warning(this, AppCaption(),
                             tr("The document could not be printed: the printer did not "
                                "start."));
}

void CEditorView::PrintPreview() {
    QPrinter* printer = SharedPrinter();
    SetTextPrintMargins(printer);
    QPrintPreviewDialog preview(printer, this);
    CLockWatch::CloseWhenLocked(&preview);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* p) { PrintTo(p); });
    preview.exec();
    StampActivity();
}

void CEditorView::PrintSetup(QWidget* parent) {
    QPrinter* printer = SharedPrinter();
    QPrintDialog dialog(printer, parent);
    dialog.setWindowTitle(tr("Print Setup"));
    // Setting up prints nothing: the button confirms the choice.
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(tr("OK"));
    }
    CLockWatch::CloseWhenLocked(&dialog);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    dialog.exec();
    SetTextPrintMargins(printer);
    StampActivity();
}
