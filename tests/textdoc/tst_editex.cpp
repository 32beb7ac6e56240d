#include "tst_editex.h"

#include "CCmdUI.h"
#include "CDocManager.h"
#include "CDocument.h"
#include "CEditEx.h"
#include "CMDIChildWnd.h"
#include "CMDIFrameWnd.h"
#include "CMultiDocTemplate.h"
#include "CView.h"
#include "CWinApp.h"
#include "resource.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

namespace {
// Command ids of the menu top to bottom, 0 for a separator, a minus sign for a greyed item.
QList<int> MenuIds(const QMenu* menu) {
    QList<int> ids;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator())
            ids << 0;
        else
            ids << (a->isEnabled() ? a->data().toInt() : -a->data().toInt());
    }
    return ids;
}

const QList<int> kHead = {ID_EDIT_UNDO, 0, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE};
QList<int> Tail(int del, int selAll, int url) {
    return {del, 0, selAll, 0, url};
}
const QList<int> kEmptyTail = Tail(-120, -123, -119);

// A form-like view: one field, Select All handled, Cut handled but disabled.
class FormView : public QWidget, public CView {
public:
    FormView() : field(new QLineEdit(this)), ex(new CEditEx(field)) {
        (new QVBoxLayout(this))->addWidget(field);
        OnCommand(ID_EDIT_SELECT_ALL, [this] { ++selectAllRuns; });
        OnCommand(ID_EDIT_CUT, [] {});
        OnUpdateCommand(ID_EDIT_CUT, [](CCmdUI* ui) { ui->Enable(false); });
    }
    QLineEdit* field;
    CEditEx* ex;
    int selectAllRuns = 0;
};
} // namespace

void TestCEditEx::menuItems_data() {
    QTest::addColumn<bool>("multiLine");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selEnd");
    QTest::addColumn<QList<int>>("tail");

    QTest::newRow("empty field") << false << "" << 0 << 0 << kEmptyTail;
    QTest::newRow("text, no selection") << false << "abc" << 1 << 1 << Tail(-120, 57642, -119);
    QTest::newRow("text, selection") << false << "abc" << 0 << 2 << Tail(57632, 57642, -119);
    QTest::newRow("http:// alone") << false << "http://" << 0 << 0 << Tail(-120, 57642, -119);
    QTest::newRow("http:// and one") << false << "http://a" << 0 << 0 << Tail(-120, 57642, 32777);
    QTest::newRow("https:// alone") << false << "https://" << 0 << 0 << Tail(-120, 57642, -119);
    QTest::newRow("https:// and one") << false << "https://a" << 0 << 0 << Tail(-120, 57642, 32777);
    QTest::newRow("http:// after words")
        << false << "see http://x" << 0 << 0 << Tail(-120, 57642, 32777);
    QTest::newRow("http:/ is not enough")
        << false << "http:/abcdef" << 0 << 0 << Tail(-120, 57642, -119);
    // The line length counts unselected characters on the selection's lines.
    QTest::newRow("all selected on one line")
        << false << "http://abc" << 0 << 10 << Tail(57632, 57642, 32777);
    QTest::newRow("multi, all selected") << true << "abc" << 0 << 3 << kEmptyTail;
    QTest::newRow("multi, caret on short second line")
        << true << "http://example\nab" << 16 << 16 << Tail(-120, 57642, -119);
    QTest::newRow("multi, caret on first line")
        << true << "http://example\nab" << 2 << 2 << Tail(-120, 57642, 32777);
    QTest::newRow("multi, selection across lines")
        << true << "abcd\nefgh" << 2 << 7 << Tail(57632, 57642, -119);
    QTest::newRow("multi, empty") << true << "" << 0 << 0 << kEmptyTail;
}

void TestCEditEx::menuItems() {
    QFETCH(bool, multiLine);
    QFETCH(QString, text);
    QFETCH(int, selStart);
    QFETCH(int, selEnd);
    QFETCH(QList<int>, tail);

    std::unique_ptr<QWidget> edit;
    CEditEx* ex = nullptr;
    if (multiLine) {
        auto* e = new QPlainTextEdit;
        edit.reset(e);
        e->setPlainText(text);
        QTextCursor c = e->textCursor();
        c.setPosition(selStart);
        c.setPosition(selEnd, QTextCursor::KeepAnchor);
        e->setTextCursor(c);
        ex = new CEditEx(e);
    } else {
        auto* e = new QLineEdit;
        edit.reset(e);
        e->setText(text);
        e->setSelection(selStart, selEnd - selStart);
        if (selStart == selEnd)
            e->setCursorPosition(selStart);
        ex = new CEditEx(e);
    }
    std::unique_ptr<QMenu> menu(ex->CreateContextMenu(nullptr));
    QCOMPARE(MenuIds(menu.get()), kHead + tail);
    QStringList texts;
    for (QAction* a : menu->actions())
        if (!a->isSeparator())
            texts << a->text();
    QCOMPARE(texts,
             QStringList({"&Undo\tCtrl+Z", "Cu&t\tCtrl+X", "&Copy\tCtrl+C", "&Paste\tCtrl+V",
                          "&Delete\tDel", "Select A&ll\tCtrl+A", "Go to the URL...\tCtrl+G"}));
}

void TestCEditEx::lineLengthOfMultiLineSelection() {
    QPlainTextEdit e;
    e.setPlainText("abcd\nefgh\nij");
    CEditEx ex(&e);
    QTextCursor c = e.textCursor();
    c.setPosition(2);
    c.setPosition(7, QTextCursor::KeepAnchor); // "cd\nef" selected
    e.setTextCursor(c);
    QCOMPARE(ex.LineLength(), 4); // "ab" and "gh"
    c.setPosition(11);
    e.setTextCursor(c);
    QCOMPARE(ex.LineLength(), 2);
}

void TestCEditEx::coloursStartWithSystemAndReturnPrevious() {
    QLineEdit e;
    const QColor base = e.palette().color(QPalette::Base);
    const QColor text = e.palette().color(QPalette::Text);
    CEditEx ex(&e);
    QCOMPARE(ex.SetBkColor(QColor(255, 255, 200)), base);
    QCOMPARE(ex.SetBkColor(Qt::white), QColor(255, 255, 200));
    QCOMPARE(ex.SetTextColor(Qt::red), text);
    QCOMPARE(e.palette().color(QPalette::Active, QPalette::Base), QColor(Qt::white));
    QCOMPARE(e.palette().color(QPalette::Inactive, QPalette::Text), QColor(Qt::red));
}

void TestCEditEx::setFontHeights_data() {
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("pitchAndFamily");
    QTest::newRow("character height") << -13 << 0;
    QTest::newRow("cell height, fixed modern") << 16 << 0x31;
}

void TestCEditEx::setFontHeights() {
    QFETCH(int, height);
    QFETCH(int, pitchAndFamily);
    QPlainTextEdit e;
    CEditEx ex(&e);
    ex.SetFont(height, pitchAndFamily, "Times New Roman");
    const QFont f = e.font();
    QCOMPARE(f.family(), QString("Times New Roman"));
    QCOMPARE(f.weight(), QFont::Normal);
    QVERIFY(!f.italic() && !f.underline() && !f.strikeOut());
    if (height < 0) {
        QCOMPARE(f.pixelSize(), -height);
    } else {
        QVERIFY(f.pixelSize() > 0);
        QVERIFY(QFontMetrics(f).height() <= height);
        QVERIFY(f.fixedPitch());
    }
}

void TestCEditEx::contextMenuRoutesChoice() {
    QLineEdit e;
    e.setText("hello");
    e.show();
    CEditEx ex(&e);
    QSignalSpy chosen(&ex, &CEditEx::CommandChosen);
    int routed = 0;
    CEditEx::SetCommandRouter([&](int id) {
        routed = id;
        return false; // let the field act itself
    });
    QContextMenuEvent ev(QContextMenuEvent::Mouse, QPoint(5, 5), e.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&e, &ev);
    QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QAction* selectAll = nullptr;
    for (QAction* a : menu->actions())
        if (a->data().toInt() == ID_EDIT_SELECT_ALL)
            selectAll = a;
    QVERIFY(selectAll && selectAll->isEnabled());
    selectAll->trigger();
    menu->close();
    CEditEx::SetCommandRouter({});
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.at(0).at(0).toInt(), ID_EDIT_SELECT_ALL);
    QCOMPARE(routed, ID_EDIT_SELECT_ALL);
    QCOMPARE(e.selectedText(), QString("hello"));
}

void TestCEditEx::clearErasesOnlyTheSelection() {
    QLineEdit e;
    e.setText("abcdef");
    CEditEx ex(&e);
    e.setCursorPosition(2);
    QVERIFY(!ex.CanExecute(ID_EDIT_CLEAR));
    QVERIFY(ex.ExecuteCommand(ID_EDIT_CLEAR));
    QCOMPARE(e.text(), QString("abcdef"));
    e.setSelection(1, 2);
    QVERIFY(ex.CanExecute(ID_EDIT_CLEAR));
    ex.ExecuteCommand(ID_EDIT_CLEAR);
    QCOMPARE(e.text(), QString("adef"));
    QVERIFY(!ex.ExecuteCommand(ID_EDIT_GOTO_URL));
}

void TestCEditEx::insideAViewTheRoutingDecides() {
    CWinApp app(QStringLiteral("Keystow Editor"));
    app.AddDocTemplate(new CMultiDocTemplate(
        IDR_TEXTTYPE, "\nUntitled\n\n\n.etx\n\n", [] { return new CDocument; },
        [] { return new CMDIChildWnd; }, [] { return new FormView; }));
    CMDIFrameWnd frame;
    app.SetMainWnd(&frame);
    frame.show();
    CDocument* doc = app.GetDocManager()->GetTemplates().first()->OpenDocumentFile(QString());
    QVERIFY(doc);
    auto* view = dynamic_cast<FormView*>(doc->GetFirstView());
    QVERIFY(view);
    view->field->setText("http://example");
    view->field->setSelection(0, 4);
    std::unique_ptr<QMenu> menu(view->ex->CreateContextMenu(nullptr));
    // Unhandled commands grey out, Cut follows its update rule, Select All has a handler.
    QCOMPARE(MenuIds(menu.get()),
             QList<int>({-57643, 0, -57635, -57634, -57637, -57632, 0, 57642, 0, -32777}));
    view->ex->ShowContextMenu(view->field->mapToGlobal(QPoint(2, 2)));
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(popup);
    for (QAction* a : popup->actions())
        if (a->data().toInt() == ID_EDIT_SELECT_ALL)
            a->trigger();
    popup->close();
    QCOMPARE(view->selectAllRuns, 1);
    QCOMPARE(view->field->selectedText(), QString("http")); // the view acted, not the field
    doc->OnCloseDocument();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
