#include "CAboutDlg.h"

#include "CMainFrame.h"
#include "resource.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

const char* const CAboutDlg::kVersion = "2.5.6";

namespace {
const QColor kTitleBlue(0, 0, 192);

QLabel* NewTitleLabel(QWidget* parent, const QString& text, int pixelSize, bool bold) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, kTitleBlue);
    label->setPalette(palette);
    return label;
}

// The program's picture: a gold key over a blue page.
QPixmap ProductPicture(int side) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 64.0, side / 64.0);
    p.setPen(QPen(QColor(40, 40, 110), 2.5));
    p.setBrush(QColor(210, 225, 255));
    p.drawRoundedRect(QRectF(10, 4, 44, 56), 4, 4);
    p.setPen(QPen(QColor(120, 84, 10), 2.5));
    p.setBrush(QColor(214, 160, 30));
    p.drawEllipse(QRectF(4, 22, 22, 22));
    p.drawRect(QRectF(24, 30, 34, 6));
    p.drawRect(QRectF(48, 36, 5, 9));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(10, 28, 9, 9));
    return pixmap;
}
} // namespace

QString CAboutDlg::BuildStamp() {
    return QStringLiteral(__DATE__ " " __TIME__);
}

CAboutDlg::CAboutDlg(QWidget* parent) : CShellDialog(parent) {
    setWindowTitle(tr("About Keystow Editor"));
    SetIdleClose(0, ID_APP_ABOUT);

    auto* icon = new QLabel(this);
    icon->setPixmap(ProductPicture(32));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    QLabel* name = NewTitleLabel(this, tr("Keystow Editor"), 16, true);
    SetControlId(name, IDC_ABOUT_TITLE);
    QLabel* version =
        NewTitleLabel(this, tr("Version %1").arg(QString::fromLatin1(kVersion)), 12, true);
    SetControlId(version, IDC_ABOUT_VERSION);
    QLabel* build = NewTitleLabel(this, tr("Build: %1").arg(BuildStamp()), 12, false);
    SetControlId(build, IDC_ABOUT_BUILD);

    auto* contact = new QLabel(tr("Contact: "), this);
    const QString address = QString::fromLatin1(CMainFrame::kWebSiteAddress);
    auto* link = new QLabel(this);
    SetControlId(link, IDC_ABOUT_LINK);
    link->setTextFormat(Qt::RichText);
    link->setText(QStringLiteral("<a href=\"%1\" style=\"color:#0000ff; "
                                 "text-decoration:underline\">%2</a>")
                      .arg(address.toHtmlEscaped(), address.toHtmlEscaped()));
    // Opened with the desktop's browser; Tab reaches it and Enter follows it.
    link->setOpenExternalLinks(true);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link->setCursor(Qt::PointingHandCursor);
    link->setToolTip(address);

    QPushButton* ok = AddEndButton(tr("OK"), IDOK, IDOK);
    ok->setDefault(true);

    auto* group = new QGroupBox(this);
    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(version);
    texts->addWidget(build);
    auto* contactRow = new QHBoxLayout;
    contactRow->addStretch();
    contactRow->addWidget(contact);
    contactRow->addWidget(link);
    contactRow->addStretch();
    texts->addSpacing(DluY(4));
    texts->addLayout(contactRow);
    auto* inside = new QHBoxLayout(group);
    inside->addWidget(icon);
    inside->addSpacing(DluX(kIconGapDlu));
    inside->addLayout(texts, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addSpacing(DluY(kFieldGapDlu));
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setMinimumWidth(DluX(198));
}
