#include "CWelcomeDlg.h"

#include <DialogIcons.h>

#include "CEditorApp.h"
#include "CMainFrame.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>

namespace {
void PaintNew(QPainter& p) {
    PaintPage(p, QColor(255, 255, 245));
    // A spark in the corner: something new.
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 ? 5.0 : 12.0;
        const double angle = i * 3.14159265 / 5 - 3.14159265 / 2;
        const QPointF point(48 + radius * std::cos(angle), 46 + radius * std::sin(angle));
        i ? star.lineTo(point) : star.moveTo(point);
    }
    star.closeSubpath();
    p.setPen(QPen(QColor(170, 110, 0), 1.5));
    p.setBrush(QColor(255, 200, 40));
    p.drawPath(star);
}

void PaintOpen(QPainter& p) {
    p.setPen(QPen(QColor(120, 84, 10), 2.5));
    p.setBrush(QColor(230, 180, 60));
    p.drawRoundedRect(QRectF(4, 14, 48, 40), 3, 3);
    p.drawRect(QRectF(4, 10, 20, 6));
    p.setBrush(QColor(250, 215, 110));
    QPolygonF flap({QPointF(14, 26), QPointF(60, 26), QPointF(52, 54), QPointF(4, 54)});
    p.drawPolygon(flap);
}

void PaintWeb(QPainter& p) {
    p.setPen(QPen(QColor(20, 70, 140), 2.5));
    p.setBrush(QColor(120, 180, 240));
    const QRectF globe(6, 6, 52, 52);
    p.drawEllipse(globe);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(20, 6, 24, 52));
    p.drawLine(QPointF(32, 6), QPointF(32, 58));
    p.drawLine(QPointF(6, 32), QPointF(58, 32));
    p.drawLine(QPointF(11, 19), QPointF(53, 19));
    p.drawLine(QPointF(11, 45), QPointF(53, 45));
}

CEditorApp* App() {
    return qobject_cast<CEditorApp*>(CWinApp::Current());
}
} // namespace

CWelcomeDlg::CWelcomeDlg(QWidget* parent) : CShellDialog(parent) {
    setWindowTitle(tr("Welcome"));
    SetIdleClose(ClosedByLock, ID_WIZARD);

    auto* title = new QLabel(tr("Welcome to Keystow Editor!"), this);
    title->setAlignment(Qt::AlignCenter);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);

    QToolButton* create = AddPictureButton(IDC_WELCOME_NEW, DrawIcon(PaintNew, {32, 48, 64}),
                                           tr("Create a new encrypted document..."));
    connect(create, &QToolButton::clicked, this, [this] { done(NewDocument); });
    QToolButton* open = AddPictureButton(IDC_WELCOME_OPEN, DrawIcon(PaintOpen, {32, 48, 64}),
                                         tr("Open an existing encrypted document..."));
    connect(open, &QToolButton::clicked, this, [this] { done(OpenDocument); });
    QToolButton* web = AddPictureButton(IDC_WELCOME_WEB, DrawIcon(PaintWeb, {32, 48, 64}),
                                        tr("Keystow Editor on the Web..."));
    web->setCursor(Qt::PointingHandCursor);
    // The page stays open; a site that cannot be opened is not worth a message.
    connect(web, &QToolButton::clicked, this, [] {
        QDesktopServices::openUrl(QUrl(QString::fromLatin1(CMainFrame::kWebSiteAddress)));
    });

    m_showAtStartup = new QCheckBox(tr("Show Welcome dialog at startup."), this);
    SetControlId(m_showAtStartup, IDC_WELCOME_SHOW);
    m_showAtStartup->setChecked(true);

    auto* frame = new QGroupBox(this);
    auto* inside = new QVBoxLayout(frame);
    inside->setSpacing(DluY(4));
    inside->addWidget(title);
    inside->addSpacing(DluY(6));
    inside->addWidget(create);
    inside->addWidget(open);
    inside->addWidget(web);
    inside->addSpacing(DluY(6));
    inside->addWidget(m_showAtStartup);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setMinimumWidth(DluX(171));
}

CWelcomeDlg::~CWelcomeDlg() {
    // Taken down while still open (its owner went first): the switch still counts.
    if (isVisible())
        StoreShowSwitch();
}

QToolButton* CWelcomeDlg::AddPictureButton(int id, const QIcon& icon, const QString& text) {
    auto* button = new QToolButton(this);
    SetControlId(button, id);
    button->setIcon(icon);
    button->setIconSize(QSize(48, 48));
    button->setText(text);
    button->setToolTip(text);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    // Flat until the pointer is over it.
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return button;
}

void CWelcomeDlg::OnInitDialog() {
    if (CEditorApp* app = App())
        m_showAtStartup->setChecked(app->GetShowWelcome() != 0);
    m_switchRead = true;
    if (QWidget* first = GetDlgItem(IDC_WELCOME_NEW))
        first->setFocus();
}

void CWelcomeDlg::keyPressEvent(QKeyEvent* event) {
    // Enter presses the picture button that has the focus, as it would a push button.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (auto* button = qobject_cast<QToolButton*>(focusWidget()); enter && button) {
        button->click();
        return;
    }
    CShellDialog::keyPressEvent(event);
}

void CWelcomeDlg::done(int result) {
    StoreShowSwitch();
    CShellDialog::done(result);
}

void CWelcomeDlg::StoreShowSwitch() {
    // Only a page that was shown has a switch the person could see.
    if (!m_switchRead)
        return;
    if (CEditorApp* app = App())
        app->SetShowWelcome(m_showAtStartup->isChecked() ? 1 : 0);
}
