#include "tst_editorview.h"

#include "CActivityHost.h"
#include "CEditorView.h"
#include "CFindReplaceDlg.h"
#include "CMDIFrameWnd.h"
#include "DialogScript.h"
#include "TickClock.h"
#include "resource.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace {
quint32 g_now = 1000;

void Select(QPlainTextEdit& edit, int anchor, int position) {
    QTextCursor c = edit.textCursor();
    c.setPosition(anchor);
    c.setPosition(position, QTextCursor::KeepAnchor);
    edit.setTextCursor(c);
}

// A window that takes file drops, standing in for the main frame.
class DropCatcher : public QWidget {
public:
    DropCatcher() { setAcceptDrops(true); }
    int entered = 0;

protected:
    void dragEnterEvent(QDragEnterEvent* e) override {
        ++entered;
        e->acceptProposedAction();
    }
};

// The main window's side of the status text: SetStatusPaneText(pane, text).
class StatusWindow : public CMDIFrameWnd {
    Q_OBJECT
public:
    void SetStatusPaneText(int pane, const QString& text) override { panes[pane] = text; }
    QMap<int, QString> panes;
};

int PdfPages(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray pdf = f.readAll();
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
    return static_cast<int>(QString::fromLatin1(pdf).count(page));
}
} // namespace

void TestCEditorView::init() {
    g_now = 1000;
    TickClock::SetSource([] { return g_now; });
}

void TestCEditorView::cleanup() {
    TickClock::SetSource({});
}

void TestCEditorView::editorSettings() {
    CEditorView view;
    QCOMPARE(view.lineWrapMode(), QPlainTextEdit::NoWrap);
    QVERIFY(QFontInfo(view.font()).fixedPitch());
    QCOMPARE(view.font().pointSize(), 10);
    QCOMPARE(view.palette().color(QPalette::Active, QPalette::Text), QColor(Qt::black));
    // A long line is not wrapped: the view scrolls sideways instead.
    view.resize(200, 100);
    view.show();
    view.SetLoadedText(QString(500, QLatin1Char('x')));
    QCOMPARE(view.document()->lineCount(), 1);
    QTRY_VERIFY(view.horizontalScrollBar()->maximum() > 0);
}

void TestCEditorView::loadedTextRoundTrips_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("saved");
    QTest::newRow("spaces and line breaks") << "  \r\n \r\n\r\n   "
                                            << "  \r\n \r\n\r\n   ";
    QTest::newRow("trailing line break") << "a\r\n"
                                         << "a\r\n";
    QTest::newRow("lone LF and CR become CR LF") << "a\nb\rc"
                                                 << "a\r\nb\r\nc";
    QTest::newRow("no-break space kept")
        << QString("x") + QChar(0xA0) + "y" << QString("x") + QChar(0xA0) + "y";
    QTest::newRow("tabs and non-Latin text")
        << QString::fromUtf8("\tЖ€😀") << QString::fromUtf8("\tЖ€😀");
    QTest::newRow("empty") << ""
                           << "";
}

void TestCEditorView::loadedTextRoundTrips() {
    QFETCH(QString, text);
    QFETCH(QString, saved);
    CEditorView view;
    view.SetLoadedText(text);
    QCOMPARE(view.GetAllText(), saved);
    QVERIFY(!view.document()->isModified());
    QVERIFY(!view.document()->isUndoAvailable());
    QCOMPARE(view.textCursor().position(), 0);
    QVERIFY(!view.textCursor().hasSelection());
}

void TestCEditorView::statusText_data() {
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("status");
    // "one\ntwo\nthree": line 3 starts at 8.
    QTest::newRow("very start") << 0 << 0 << " Ln 1, Col 1";
    QTest::newRow("start of third line") << 8 << 8 << " Ln 3, Col 1";
    QTest::newRow("end of second line") << 7 << 7 << " Ln 2, Col 4";
    QTest::newRow("backwards selection") << 11 << 5 << " Ln 2, Col 2";
    QTest::newRow("forwards selection") << 5 << 11 << " Ln 2, Col 2";
}

void TestCEditorView::statusText() {
    QFETCH(int, anchor);
    QFETCH(int, position);
    QFETCH(QString, status);
    CEditorView view;
    view.SetLoadedText("one\r\ntwo\r\nthree");
    Select(view, anchor, position);
    QCOMPARE(view.StatusText(), status);
}

void TestCEditorView::keyDownShowsPositionBeforeKey() {
    CEditorView view;
    view.SetLoadedText("abc");
    view.show();
    QSignalSpy spy(&view, &CEditorView::StatusTextChanged);
    QTest::keyPress(&view, Qt::Key_Right);
    QVERIFY(spy.count() >= 1);
    QCOMPARE(spy.first().first().toString(), QString(" Ln 1, Col 1"));
    spy.clear();
    QTest::keyRelease(&view, Qt::Key_Right);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.first().first().toString(), QString(" Ln 1, Col 2"));
}

void TestCEditorView::activityIsStamped() {
    CActivityHost host;
    CEditorView view;
    view.SetLoadedText("abc\r\ndef");
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    g_now = 5000;
    QTest::mouseMove(view.viewport(), QPoint(10, 10));
    QCOMPARE(host.m_lastActivity, 5000u);
    g_now = 6000;
    QTest::keyClick(&view, Qt::Key_Down);
    QCOMPARE(host.m_lastActivity, 6000u);
    g_now = 7000;
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(host.m_lastActivity, 7000u);
}

void TestCEditorView::pasteTakesPlainTextOnly_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<bool>("image");
    QTest::addColumn<QString>("expected");
    QTest::newRow("rich and plain") << "<b>bold</b> <i>it</i>"
                                    << "bold it" << false << "Xbold itY";
    QTest::newRow("CR LF stays one break") << ""
                                           << "1\r\n2" << false << "X1\r\n2Y";
    QTest::newRow("picture only") << ""
                                  << "" << true << "XY";
    QTest::newRow("rich only") << "<b>bold</b>"
                               << "" << false << "XY";
}

void TestCEditorView::pasteTakesPlainTextOnly() {
    QFETCH(QString, html);
    QFETCH(QString, plain);
    QFETCH(bool, image);
    QFETCH(QString, expected);
    CEditorView view;
    view.SetLoadedText("XY");
    Select(view, 1, 1);
    auto* data = new QMimeData;
    if (!html.isEmpty())
        data->setHtml(html);
    if (!plain.isEmpty())
        data->setText(plain);
    if (image) {
        QImage pic(4, 4, QImage::Format_RGB32);
        pic.fill(Qt::red);
        data->setImageData(pic);
    }
    QApplication::clipboard()->setMimeData(data);
    QVERIFY(view.HasCommand(ID_EDIT_PASTE));
    QCOMPARE(view.IsCommandEnabled(ID_EDIT_PASTE), !plain.isEmpty());
    view.OnCmdMsg(ID_EDIT_PASTE);
    QCOMPARE(view.GetAllText(), expected);
    // Nothing but characters arrived: every fragment has the editor's own format.
    QTextBlock block = view.document()->firstBlock();
    for (auto it = block.begin(); !it.atEnd(); ++it)
        QVERIFY(!it.fragment().charFormat().font().bold());
}

void TestCEditorView::droppedFilesGoToTheWindow() {
    DropCatcher window;
    auto* view = new CEditorView(&window);
    view->resize(200, 100);
    window.resize(220, 120);
    window.show();

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/tmp/notes.etx")});
    files.setText("/tmp/notes.etx");
    QDragEnterEvent fileDrag(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &fileDrag);
    QCOMPARE(window.entered, 1);

    QMimeData text;
    text.setText("words");
    QDragEnterEvent textDrag(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &textDrag);
    QVERIFY(textDrag.isAccepted());
    QCOMPARE(window.entered, 1);
}

void TestCEditorView::contextMenuItems() {
    CEditorView view;
    view.SetLoadedText("hello");
    QApplication::clipboard()->clear();
    std::unique_ptr<QMenu> menu(view.CreateContextMenu(nullptr));
    QStringList texts;
    QList<int> ids;
    QList<bool> enabled;
    for (QAction* a : menu->actions()) {
        texts << (a->isSeparator() ? QString("-") : a->text());
        ids << a->data().toInt();
        enabled << a->isEnabled();
    }
    QCOMPARE(texts, QStringList({"&Undo\tCtrl+Z", "-", "Cu&t\tCtrl+X", "&Copy\tCtrl+C",
                                 "&Paste\tCtrl+V", "Select A&ll\tCtrl+A"}));
    QCOMPARE(ids, QList<int>({57643, 0, 57635, 57634, 57637, 57642}));
    // Nothing to undo, nothing selected, empty clipboard; text to select.
    QCOMPARE(enabled, QList<bool>({false, true, false, false, false, true}));

    Select(view, 0, 2);
    menu.reset(view.CreateContextMenu(nullptr));
    QVERIFY(menu->actions().at(2)->isEnabled());
    QVERIFY(menu->actions().at(3)->isEnabled());
}

void TestCEditorView::find_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<bool>("down");
    QTest::addColumn<int>("foundAt"); // -1: not found
    // "Cat cat concat\nCAT"
    QTest::newRow("next from start") << 0 << "cat" << false << false << true << 0;
    QTest::newRow("match case") << 0 << "cat" << true << false << true << 4;
    QTest::newRow("whole word skips concat") << 5 << "cat" << false << true << true << 15;
    QTest::newRow("part of a word") << 5 << "cat" << false << false << true << 11;
    QTest::newRow("wraps round") << 16 << "cat" << true << false << true << 4;
    QTest::newRow("up") << 11 << "cat" << false << false << false << 4;
    QTest::newRow("not there") << 0 << "dog" << false << false << true << -1;
    QTest::newRow("up takes a match ending at the caret")
        << 3 << "cat" << false << false << false << 0;
    QTest::newRow("up wraps round") << 0 << "cat" << false << false << false << 15;
    QTest::newRow("whole word up skips concat") << 15 << "cat" << false << true << false << 4;
}

void TestCEditorView::find() {
    QFETCH(int, from);
    QFETCH(QString, what);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWord);
    QFETCH(bool, down);
    QFETCH(int, foundAt);
    CEditorView view;
    view.SetLoadedText("Cat cat concat\r\nCAT");
    Select(view, from, from);
    QCOMPARE(view.FindNext(what, matchCase, wholeWord, down), foundAt >= 0);
    if (foundAt >= 0) {
        QCOMPARE(view.textCursor().selectionStart(), foundAt);
        QCOMPARE(view.textCursor().selectedText().size(), what.size());
    } else {
        QCOMPARE(view.textCursor().position(), from);
    }
}

void TestCEditorView::replaceAllIsOneUndoStep() {
    CEditorView view;
    view.SetLoadedText("a b a\r\na");
    QCOMPARE(view.ReplaceAll("a", "aa", true, true), 3);
    QCOMPARE(view.GetAllText(), QString("aa b aa\r\naa"));
    QVERIFY(view.document()->isModified());
    view.OnCmdMsg(ID_EDIT_UNDO);
    QCOMPARE(view.GetAllText(), QString("a b a\r\na"));
    QCOMPARE(view.ReplaceAll("zz", "y", false, false), 0);
}

void TestCEditorView::replaceAll_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("with");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<QString>("replaced");
    QTest::addColumn<int>("count");
    const auto row = [](const char* name, const QString& text, const QString& what,
                        const QString& with, bool whole, const QString& replaced, int count) {
        QTest::newRow(name) << text << what << with << whole << replaced << count;
    };
    row("every one, line ends kept", "one two\r\none\r\n\r\nONE", "one", "1", false,
        "1 two\r\n1\r\n\r\n1", 3);
    row("a replacement bounds the next word", "--", "-", "x", true, "x-", 1);
    row("no-break space matches a space", "a\u00a0b a b", "a b", "c", false, "c c", 2);
    row("non-Latin, any case", "Жук жук ЖУКИ", "жук", "b", true, "b b ЖУКИ", 2);
    row("what is put in is not searched", "a a", "a", "aa", false, "aa aa", 2);
    row("side by side, removed", "aaa\r\na", "a", "", false, "\r\n", 4);
    row("never across a line end", "a\r\nb", "a b", "c", false, "a\r\nb", 0);
}

void TestCEditorView::replaceAll() {
    QFETCH(QString, text);
    QFETCH(QString, what);
    QFETCH(QString, with);
    QFETCH(bool, wholeWord);
    QFETCH(QString, replaced);
    QFETCH(int, count);
    CEditorView view;
    view.SetLoadedText(text);
    QCOMPARE(view.ReplaceAll(what, with, false, wholeWord), count);
    QCOMPARE(view.GetAllText(), replaced);
    if (count == 0)
        return;
    // The caret follows the last one put in; one undo takes them all back.
    if (!with.isEmpty() && !replaced.contains("\r\n"))
        QCOMPARE(view.textCursor().position(), int(replaced.lastIndexOf(with) + with.size()));
    view.OnCmdMsg(ID_EDIT_UNDO);
    QCOMPARE(view.GetAllText(), text);
}

void TestCEditorView::findDialogTellsWhenNotFound() {
    CEditorView view;
    view.SetLoadedText("alpha beta");
    view.show();
    view.OnCmdMsg(ID_EDIT_FIND);
    CFindReplaceDlg* dlg = view.FindDialog();
    QVERIFY(dlg && dlg->isVisible());
    QVERIFY(!dlg->IsReplaceMode());
    auto* what = dlg->findChild<QLineEdit*>();
    what->setText("gamma");
    QString shown;
    DialogScript script;
    script.Then([&](QWidget* d) {
        auto* box = qobject_cast<QMessageBox*>(d);
        QVERIFY(box);
        shown = box->text();
        box->accept();
    });
    QTest::mouseClick(dlg->FindNextButton(), Qt::LeftButton);
    QCOMPARE(shown, QString("Cannot find \"gamma\"."));

    what->setText("beta");
    QTest::mouseClick(dlg->FindNextButton(), Qt::LeftButton);
    QCOMPARE(view.textCursor().selectedText(), QString("beta"));
    // Find Next repeats the last search without the dialog.
    QVERIFY(view.IsCommandEnabled(ID_EDIT_REPEAT));
    dlg->close();
    Select(view, 0, 0);
    view.OnCmdMsg(ID_EDIT_REPEAT);
    QCOMPARE(view.textCursor().selectionStart(), 6);
}

void TestCEditorView::replaceDialogReplacesAndFindsNext() {
    CEditorView view;
    view.SetLoadedText("one two one two");
    view.show();
    view.OnCmdMsg(ID_EDIT_REPLACE);
    CFindReplaceDlg* dlg = view.FindDialog();
    QVERIFY(dlg && dlg->IsReplaceMode());
    dlg->SetFindWhat("two");
    dlg->SetReplaceWith("2");
    // The first press finds, the second replaces that match and finds the next.
    QTest::mouseClick(dlg->ReplaceButton(), Qt::LeftButton);
    QCOMPARE(view.GetAllText(), QString("one two one two"));
    QCOMPARE(view.textCursor().selectionStart(), 4);
    QTest::mouseClick(dlg->ReplaceButton(), Qt::LeftButton);
    QCOMPARE(view.GetAllText(), QString("one 2 one two"));
    QCOMPARE(view.textCursor().selectedText(), QString("two"));
    QTest::mouseClick(dlg->ReplaceAllButton(), Qt::LeftButton);
    QCOMPARE(view.GetAllText(), QString("one 2 one 2"));
}

void TestCEditorView::printToPdfMakesPages_data() {
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("lineLength");
    QTest::addColumn<int>("minPages");
    QTest::addColumn<int>("maxPages");
    QTest::newRow("empty") << 1 << 0 << 1 << 1;
    QTest::newRow("short") << 10 << 20 << 1 << 1;
    QTest::newRow("page breaks") << 300 << 10 << 4 << 6;
    QTest::newRow("long lines wrap onto more pages") << 40 << 1000 << 4 << 12;
}

void TestCEditorView::printToPdfMakesPages() {
    QFETCH(int, lines);
    QFETCH(int, lineLength);
    QFETCH(int, minPages);
    QFETCH(int, maxPages);
    QTemporaryDir dir;
    const QString pdf = dir.filePath("out.pdf");
    QStringList text;
    for (int i = 0; i < lines; ++i)
        text << QString(lineLength, QLatin1Char('a' + i % 26));
    CEditorView view;
    view.SetLoadedText(text.join("\r\n"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    const int pages = view.PrintTo(&printer);
    QVERIFY2(pages >= minPages && pages <= maxPages, qPrintable(QString::number(pages)));
    QCOMPARE(PdfPages(pdf), pages);
    const QMarginsF margins = printer.pageLayout().margins(QPageLayout::Inch);
    QCOMPARE(margins, QMarginsF(0.5, 0.5, 0.5, 0.5));
}

void TestCEditorView::printPreviewShowsThePages() {
    CEditorView view;
    QStringList lines;
    for (int i = 0; i < 150; ++i)
        lines << QString::number(i);
    view.SetLoadedText(lines.join("\r\n"));
    int pages = -1;
    DialogScript script;
    script.Then([&](QWidget* d) {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(d);
        QVERIFY(preview);
        if (auto* widget = preview->findChild<QPrintPreviewWidget*>())
            pages = widget->pageCount();
        preview->reject();
    });
    QVERIFY(view.OnCmdMsg(ID_FILE_PRINT_PREVIEW));
    QVERIFY2(pages >= 2, qPrintable(QString::number(pages)));
}

void TestCEditorView::searchAndPreviewCloseWhenLocked() {
    CActivityHost host;
    CEditorView view;
    view.SetLoadedText("secret words");
    view.show();
    view.OnCmdMsg(ID_EDIT_FIND);
    QPointer<CFindReplaceDlg> dlg = view.FindDialog();
    QVERIFY(dlg && dlg->isVisible());
    host.m_locked = 1;
    QTRY_VERIFY(!dlg || !dlg->isVisible());

    // The preview shows the text: it goes too, and the command returns.
    DialogScript script;
    script.Then([](QWidget*) {}); // left open; the lock closes it
    QVERIFY(view.OnCmdMsg(ID_FILE_PRINT_PREVIEW));
    QVERIFY(script.Finished());
    host.m_locked = 0;
}

void TestCEditorView::statusGoesToPaneOne() {
    StatusWindow window;
    auto* view = new CEditorView;
    window.setCentralWidget(view);
    view->SetLoadedText("ab\r\ncd");
    Select(*view, 4, 4);
    QCOMPARE(window.panes.value(1), QString(" Ln 2, Col 2"));
    QVERIFY(!window.panes.contains(0));
}

#include "tst_editorview.moc"
