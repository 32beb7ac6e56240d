#include "CPassFormView.h"

#include "CActivityHost.h"
#include "CCmdUI.h"
#include "CEditEx.h"
#include "CKeystowChildFrame.h"
#include "CKeystowDoc.h"
#include "PassViewImages.h"
#include "resource.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

CPassFormView::CPassFormView(QSize designDlu, QWidget* parent) : QWidget(parent) {
    m_designSize = QSize(DluX(designDlu.width()), DluY(designDlu.height()));
    // A pane smaller than the design scrolls instead of cutting controls off.
    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    // Tab goes from the tree straight to the first field, not to the scrolling frame.
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_surface = new QWidget;
    m_surface->setMinimumSize(m_designSize);
    // Controls are placed for the design size; the anchoring counts from there.
    m_surface->resize(m_designSize);
    m_surface->setMouseTracking(true);
    m_surface->installEventFilter(this);
    m_scroll->setWidget(m_surface);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroll);
}

void CPassFormView::ShowBorder() {
    m_scroll->setFrameShape(QFrame::Box);
}

CPassFormView::~CPassFormView() = default;

int CPassFormView::DluX(int units) const {
    return units * fontMetrics().averageCharWidth() / 4;
}

int CPassFormView::DluY(int units) const {
    return units * fontMetrics().height() / 8;
}

QRect CPassFormView::ToPixels(const QRect& dlu) const {
    return QRect(DluX(dlu.x()), DluY(dlu.y()), DluX(dlu.width()), DluY(dlu.height()));
}

void CPassFormView::SetControlId(QWidget* widget, int id) {
    widget->setObjectName(QStringLiteral("control%1").arg(id));
    widget->setProperty("controlId", id);
}

QWidget* CPassFormView::GetDlgItem(int id) const {
    const QList<QWidget*> children = findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (child->property("controlId").toInt() == id)
            return child;
    }
    return nullptr;
}

CKeystowDoc* CPassFormView::GetKeystowDoc() const {
    return qobject_cast<CKeystowDoc*>(GetDocument());
}

CKeystowChildFrame* CPassFormView::GetKeystowFrame() const {
    return dynamic_cast<CKeystowChildFrame*>(const_cast<CPassFormView*>(this)->GetParentFrame());
}

CLeftView* CPassFormView::GetLeftView() const {
    CKeystowChildFrame* frame = GetKeystowFrame();
    return frame ? frame->GetLeftView() : nullptr;
}

QLabel* CPassFormView::AddLabel(int id, const QString& text, const QRect& dlu,
                                Qt::Alignment align) {
    auto* label = new QLabel(text, m_surface);
    // Account names are shown as typed, never as markup.
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(align | Qt::AlignTop);
    label->setGeometry(ToPixels(dlu));
    if (id)
        SetControlId(label, id);
    return label;
}

QLabel* CPassFormView::AddIcon(int iconId, const QRect& dlu) {
    auto* label = new QLabel(m_surface);
    const QRect r = ToPixels(dlu);
    label->setPixmap(PassViewPixmap(iconId, 32));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(r.x(), r.y(), std::max(r.width(), 32), std::max(r.height(), 32));
    return label;
}

CEditEx* CPassFormView::AddLineEdit(int id, const QRect& dlu) {
    auto* edit = new QLineEdit(m_surface);
    edit->setGeometry(ToPixels(dlu));
    SetControlId(edit, id);
    auto* ex = new CEditEx(edit);
    m_edits.append(ex);
    return ex;
}

CEditEx* CPassFormView::AddMultiLineEdit(int id, const QRect& dlu) {
    auto* edit = new QPlainTextEdit(m_surface);
    edit->setGeometry(ToPixels(dlu));
    // Long lines scroll sideways; Tab moves on as in every other field.
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setTabChangesFocus(true);
    SetControlId(edit, id);
    auto* ex = new CEditEx(edit);
    m_edits.append(ex);
    return ex;
}

QPushButton* CPassFormView::AddButton(int id, const QString& text, const QRect& dlu, int iconId) {
    auto* button = new QPushButton(text, m_surface);
    button->setGeometry(ToPixels(dlu));
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::StrongFocus);
    if (iconId)
        button->setIcon(PassViewIcon(iconId));
    SetControlId(button, id);
    return button;
}

void CPassFormView::StyleLabel(QLabel* label, const QString& face, int height,
                               const QColor& colour) {
    QFont font(face);
    font.setPixelSize(height);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

void CPassFormView::StyleEdit(CEditEx* edit, int height) {
    edit->SetBkColor(QColor(255, 255, 200));
    edit->SetTextColor(Qt::black);
    edit->SetFont(height, 0, QStringLiteral("Times New Roman"));
}

CEditEx* CPassFormView::FocusedEdit() const {
    QWidget* focus = QApplication::focusWidget();
    if (!focus)
        return nullptr;
    for (CEditEx* edit : m_edits) {
        if (edit->Widget() == focus)
            return edit;
    }
    return nullptr;
}

void CPassFormView::AddEditCommands() {
    // Undo, Erase and Select All are always offered; each acts only on a focused field.
    for (int id : {ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_CLEAR,
                   ID_EDIT_SELECT_ALL}) {
        OnCommand(id, [this, id] {
            if (CEditEx* edit = FocusedEdit())
                edit->ExecuteCommand(id);
        });
    }
    const auto selectionRule = [this](CCmdUI* ui) {
        CEditEx* edit = FocusedEdit();
        ui->Enable(edit && edit->HasSelection());
    };
    OnUpdateCommand(ID_EDIT_COPY, selectionRule);
    OnUpdateCommand(ID_EDIT_CUT, selectionRule);
    OnUpdateCommand(ID_EDIT_PASTE, [this](CCmdUI* ui) {
        CEditEx* edit = FocusedEdit();
        bool readOnly = true;
        if (edit) {
            if (auto* line = qobject_cast<QLineEdit*>(edit->Widget()))
                readOnly = line->isReadOnly();
            else if (auto* text = qobject_cast<QPlainTextEdit*>(edit->Widget()))
                readOnly = text->isReadOnly();
        }
        const QMimeData* clip = QApplication::clipboard()->mimeData();
        ui->Enable(edit && !readOnly && clip && clip->hasText());
    });
}

bool CPassFormView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_surface) {
        if (event->type() == QEvent::MouseMove)
            StampActivity();
        else if (event->type() == QEvent::Resize)
            m_layout.Resize();
    }
    return QWidget::eventFilter(watched, event);
}
