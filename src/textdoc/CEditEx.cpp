#include "CEditEx.h"

#include "CActivityHost.h"
#include "CCmdUI.h"
#include "CDocument.h"
#include "CMDIFrameWnd.h"
#include "CSecretClipboard.h"
#include "CView.h"
#include "CWinApp.h"
#include "ResString.h"
#include "resource.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {
CEditEx::Router& GlobalRouter() {
    static CEditEx::Router router;
    return router;
}

// The old font flags: pitch in the low two bits, family in the high nibble.
constexpr int kFixedPitch = 1;
constexpr int kFamilyMask = 0xF0;

QFont::StyleHint HintForFamily(int family) {
    switch (family) {
    case 0x10:
        return QFont::Serif;
    case 0x20:
        return QFont::SansSerif;
    case 0x30:
        return QFont::TypeWriter;
    case 0x40:
        return QFont::Cursive;
    case 0x50:
        return QFont::Decorative;
    default:
        return QFont::AnyStyle;
    }
}

// The frame whose routing serves a field that lives in a document view; null elsewhere.
CMDIFrameWnd* RoutingFrame(QWidget* field) {
    if (!CView::FromWidget(field))
        return nullptr;
    CWinApp* app = CWinApp::Current();
    return app ? app->GetMainWnd() : nullptr;
}

QAction* AddItem(QMenu* menu, const QString& text, int id) {
    QAction* action = menu->addAction(text);
    action->setData(id);
    action->setStatusTip(ResString(id).section(QLatin1Char('\n'), 0, 0));
    // Items no handler serves show greyed, as the command enabling would show them.
    if (id == ID_EDITEX_GOTO_URL_OFF || id == ID_EDITEX_DELETE_OFF ||
        id == ID_EDITEX_SELECT_ALL_OFF)
        action->setEnabled(false);
    return action;
}
} // namespace

CEditEx::CEditEx(QLineEdit* edit) : QObject(edit), m_line(edit) {
    Init();
}

CEditEx::CEditEx(QPlainTextEdit* edit) : QObject(edit), m_text(edit) {
    Init();
}

void CEditEx::Init() {
    QWidget* w = Widget();
    const QPalette palette = w->palette();
    m_textColour = palette.color(QPalette::Active, QPalette::Text);
    m_bkColour = palette.color(QPalette::Active, QPalette::Base);
    // Our menu replaces the field's own one.
    w->setContextMenuPolicy(Qt::DefaultContextMenu);
    w->installEventFilter(this);
    if (m_text)
        m_text->viewport()->installEventFilter(this);
}

QWidget* CEditEx::Widget() const {
    if (m_line)
        return m_line;
    return m_text;
}

void CEditEx::SetFont(int height, int pitchAndFamily, const QString& faceName) {
    QFont font(faceName);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    font.setFixedPitch((pitchAndFamily & 3) == kFixedPitch);
    font.setStyleHint(HintForFamily(pitchAndFamily & kFamilyMask));
    if (height < 0) {
        font.setPixelSize(-height);
    } else if (height > 0) {
        // A positive height is the whole cell: take the largest size whose line fits in it.
        int size = height;
        font.setPixelSize(size);
        while (size > 1 && QFontMetrics(font).height() > height)
            font.setPixelSize(--size);
    }
    Widget()->setFont(font);
    Widget()->update();
}

QColor CEditEx::SetBkColor(const QColor& colour) {
    const QColor previous = m_bkColour;
    m_bkColour = colour;
    ApplyColours();
    return previous;
}

QColor CEditEx::SetTextColor(const QColor& colour) {
    const QColor previous = m_textColour;
    m_textColour = colour;
    ApplyColours();
    return previous;
}

void CEditEx::ApplyColours() {
    QWidget* w = Widget();
    QPalette palette = w->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Base, m_bkColour);
        palette.setColor(group, QPalette::Text, m_textColour);
    }
    w->setPalette(palette);
    w->update();
}

int CEditEx::LineLength() const {
    if (m_line)
        return static_cast<int>(m_line->text().size());
    const QTextCursor cursor = m_text->textCursor();
    const QTextDocument* doc = m_text->document();
    const QTextBlock first = doc->findBlock(cursor.selectionStart());
    const QTextBlock last = doc->findBlock(cursor.selectionEnd());
    int onLines = 0;
    for (QTextBlock b = first; b.isValid(); b = b.next()) {
        onLines += b.length() - 1;
        if (b == last)
            break;
    }
    // Line breaks inside the selection are not characters of a line.
    const int selected = cursor.selectionEnd() - cursor.selectionStart() -
                         (last.blockNumber() - first.blockNumber());
    return onLines - selected;
}

QString CEditEx::FirstLine() const {
    const QString line = m_line ? m_line->text() : m_text->document()->firstBlock().text();
    return line.left(255);
}

bool CEditEx::HasSelection() const {
    if (m_line)
        return m_line->hasSelectedText();
    return m_text->textCursor().hasSelection();
}

bool CEditEx::UrlTest(const QString& firstLine, int lineLength) {
    return (firstLine.contains(QLatin1String("http://")) && lineLength >= 8) ||
           (firstLine.contains(QLatin1String("https://")) && lineLength >= 9);
}

QUrl CEditEx::UrlTarget() const {
    return m_urlFinder ? m_urlFinder(FirstLine()) : QUrl();
}

QMenu* CEditEx::CreateContextMenu(QWidget* parent) const {
    auto* menu = new QMenu(parent);
    AddItem(menu, tr("&Undo\tCtrl+Z"), ID_EDIT_UNDO);
    menu->addSeparator();
    AddItem(menu, tr("Cu&t\tCtrl+X"), ID_EDIT_CUT);
    AddItem(menu, tr("&Copy\tCtrl+C"), ID_EDIT_COPY);
    AddItem(menu, tr("&Paste\tCtrl+V"), ID_EDIT_PASTE);
    const int n = LineLength();
    // A field with a finder offers the item exactly when Ctrl+G would open something.
    const bool url = m_urlFinder ? !UrlTarget().isEmpty() : n > 0 && UrlTest(FirstLine(), n);
    const int urlId = url ? ID_EDIT_GOTO_URL : ID_EDITEX_GOTO_URL_OFF;
    if (n > 0) {
        AddItem(menu, tr("&Delete\tDel"), HasSelection() ? ID_EDIT_CLEAR : ID_EDITEX_DELETE_OFF);
        menu->addSeparator();
        AddItem(menu, tr("Select A&ll\tCtrl+A"), ID_EDIT_SELECT_ALL);
        menu->addSeparator();
        AddItem(menu, tr("Go to the URL...\tCtrl+G"), urlId);
    } else {
        AddItem(menu, tr("&Delete\tDel"), ID_EDITEX_DELETE_OFF);
        menu->addSeparator();
        AddItem(menu, tr("Select A&ll\tCtrl+A"), ID_EDITEX_SELECT_ALL_OFF);
        menu->addSeparator();
        AddItem(menu, tr("Go to the URL...\tCtrl+G"), urlId);
    }
    // Inside a document view the command enabling of the active view decides, as for menus.
    if (CMDIFrameWnd* frame = RoutingFrame(Widget())) {
        for (QAction* action : menu->actions()) {
            if (action->isSeparator())
                continue;
            CCmdUI ui(action->data().toInt());
            frame->UpdateCmdUI(&ui);
            action->setEnabled(ui.m_enabled);
        }
    }
    return menu;
}

void CEditEx::ShowContextMenu(const QPoint& globalPos) {
    QMenu* menu = CreateContextMenu(Widget());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    connect(menu, &QMenu::triggered, this, [this](QAction* action) {
        StampActivity();
        Dispatch(action->data().toInt());
    });
    if (CWinApp* app = CWinApp::Current(); app && app->GetMainWnd())
        app->GetMainWnd()->ShowStatusTipsOf(menu);
    menu->popup(globalPos);
}

void CEditEx::Dispatch(int id) {
    emit CommandChosen(id);
    if (GlobalRouter() && GlobalRouter()(id))
        return;
    // The ordinary command route to the active view; a field outside any view acts itself.
    if (CMDIFrameWnd* frame = RoutingFrame(Widget()); frame && frame->ExecuteCommand(id))
        return;
    ExecuteCommand(id);
}

void CEditEx::SetCommandRouter(Router router) {
    GlobalRouter() = std::move(router);
}

bool CEditEx::CanExecute(int id) const {
    const bool readOnly = m_line ? m_line->isReadOnly() : m_text->isReadOnly();
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    switch (id) {
    case ID_EDIT_UNDO:
        return !readOnly &&
               (m_line ? m_line->isUndoAvailable() : m_text->document()->isUndoAvailable());
    case ID_EDIT_CUT:
    case ID_EDIT_CLEAR:
        return !readOnly && HasSelection();
    case ID_EDIT_COPY:
        return HasSelection() && !(m_line && m_line->echoMode() != QLineEdit::Normal);
    case ID_EDIT_PASTE:
        return !readOnly && clip && clip->hasText();
    case ID_EDIT_SELECT_ALL:
        return LineLength() > 0 ||
               (m_line ? !m_line->text().isEmpty() : !m_text->document()->isEmpty());
    default:
        return false;
    }
}

bool CEditEx::ExecuteCommand(int id) {
    switch (id) {
    case ID_EDIT_UNDO:
        m_line ? m_line->undo() : m_text->undo();
        return true;
    case ID_EDIT_CUT:
        if (m_secret && m_line) {
            // del() is undoable, like the cut it stands in for.
            if (!m_line->isReadOnly() && CopySecret())
                m_line->del();
            return true;
        }
        m_line ? m_line->cut() : m_text->cut();
        return true;
    case ID_EDIT_COPY:
        if (m_secret && m_line) {
            CopySecret();
            return true;
        }
        m_line ? m_line->copy() : m_text->copy();
        return true;
    case ID_EDIT_PASTE:
        m_line ? m_line->paste() : m_text->paste();
        return true;
    case ID_EDIT_CLEAR:
        // Erases the selection only; Delete is offered greyed without one.
        if (m_line && m_line->hasSelectedText())
            m_line->del();
        else if (m_text)
            m_text->textCursor().removeSelectedText();
        return true;
    case ID_EDIT_SELECT_ALL:
        m_line ? m_line->selectAll() : m_text->selectAll();
        return true;
    default:
        return false;
    }
}

bool CEditEx::CopySecret() {
    // As the field's own copy: a selection only, and never from a masked field.
    if (!m_line->hasSelectedText() || m_line->echoMode() != QLineEdit::Normal)
        return false;
    CSecretClipboard::Instance()->Copy(m_line->selectedText());
    return true;
}

bool CEditEx::eventFilter(QObject* watched, QEvent* event) {
    // The field's own Ctrl+C / Ctrl+X (and Ctrl+Ins / Shift+Del) would copy without the mark.
    if (m_secret && m_line && watched == m_line && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy)) {
            ExecuteCommand(ID_EDIT_COPY);
            return true;
        }
        if (key->matches(QKeySequence::Cut)) {
            ExecuteCommand(ID_EDIT_CUT);
            return true;
        }
    }
    if (event->type() == QEvent::ContextMenu &&
        (watched == Widget() || (m_text && watched == m_text->viewport()))) {
        ShowContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    return QObject::eventFilter(watched, event);
}
