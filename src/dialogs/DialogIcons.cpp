#include "DialogIcons.h"

#include "resource.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>

namespace {
constexpr int kSide = 64;
} // namespace

QIcon DrawIcon(IconPainter paint, const QList<int>& sides) {
    QIcon icon;
    for (int side : sides) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(side / double(kSide), side / double(kSide));
        paint(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void PaintPage(QPainter& p, const QColor& paper) {
    QPainterPath page;
    page.moveTo(12, 4);
    page.lineTo(42, 4);
    page.lineTo(54, 16);
    page.lineTo(54, 60);
    page.lineTo(12, 60);
    page.closeSubpath();
    p.setPen(QPen(QColor(70, 70, 90), 2.5));
    p.setBrush(paper);
    p.drawPath(page);
    p.drawLine(QPointF(42, 4), QPointF(42, 16));
    p.drawLine(QPointF(42, 16), QPointF(54, 16));
}

namespace {

void PaintKey(QPainter& p) {
    const QColor gold(214, 160, 30);
    p.setPen(QPen(QColor(120, 84, 10), 3));
    p.setBrush(gold);
    p.drawEllipse(QRectF(4, 18, 26, 26));
    QPainterPath shaft;
    shaft.addRect(QRectF(28, 27, 32, 8));
    shaft.addRect(QRectF(48, 35, 6, 10));
    shaft.addRect(QRectF(39, 35, 5, 7));
    p.drawPath(shaft.simplified());
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(11, 26, 10, 10));
}

void PaintPadlock(QPainter& p, const QPointF& at) {
    p.setPen(QPen(QColor(60, 60, 60), 3.5));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(at.x() + 5, at.y(), 18, 20), 0, 180 * 16);
    p.drawLine(QPointF(at.x() + 5, at.y() + 10), QPointF(at.x() + 5, at.y() + 14));
    p.drawLine(QPointF(at.x() + 23, at.y() + 10), QPointF(at.x() + 23, at.y() + 14));
    p.setPen(QPen(QColor(55, 55, 255).darker(150), 2));
    p.setBrush(QColor(55, 55, 255));
    p.drawRoundedRect(QRectF(at.x(), at.y() + 13, 28, 20), 3, 3);
}

void PaintTextDocument(QPainter& p) {
    PaintPage(p, QColor(255, 255, 245));
    p.setPen(QPen(QColor(110, 110, 130), 2.5));
    for (int y = 22; y <= 34; y += 6)
        p.drawLine(QPointF(18, y), QPointF(48, y));
    PaintPadlock(p, QPointF(30, 30));
}

void PaintPasswordsDocument(QPainter& p) {
    PaintPage(p, QColor(235, 242, 255));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 70, 90));
    for (int y = 20; y <= 34; y += 7)
        for (int x = 18; x <= 38; x += 6)
            p.drawEllipse(QRectF(x, y, 4.5, 4.5));
    PaintPadlock(p, QPointF(30, 30));
}
} // namespace

QIcon DialogIcon(int id) {
    switch (id) {
    case IDI_PASSWORD:
        return DrawIcon(PaintKey);
    case IDI_NEWDOC_TEXT:
        return DrawIcon(PaintTextDocument);
    case IDI_NEWDOC_PASSWORDS:
        return DrawIcon(PaintPasswordsDocument);
    case IDI_DECRYPT_FAILED:
        return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    case IDI_SAVE_QUESTION:
        return QApplication::style()->standardIcon(QStyle::SP_MessageBoxQuestion);
    default:
        return QIcon();
    }
}
