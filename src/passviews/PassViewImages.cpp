#include "PassViewImages.h"

#include "resource.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>

namespace {
// Every picture is drawn on a 16 x 16 grid and scaled by the painter.
void DrawGlobe(QPainter& p, const QColor& colour) {
    p.setPen(QPen(colour.darker(140), 1.0));
    p.setBrush(colour);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 0.9));
    p.drawEllipse(QRectF(5, 1.5, 6, 13));
    p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
    p.drawLine(QPointF(3, 4.5), QPointF(13, 4.5));
    p.drawLine(QPointF(3, 11.5), QPointF(13, 11.5));
}

void DrawEnvelope(QPainter& p, const QColor& colour) {
    p.setPen(QPen(colour.darker(160), 1.0));
    p.setBrush(QColor(255, 255, 230));
    p.drawRect(QRectF(1.5, 3.5, 13, 9));
    p.setPen(QPen(colour, 1.2));
    p.drawPolyline(QPolygonF({QPointF(1.5, 3.5), QPointF(8, 9), QPointF(14.5, 3.5)}));
}

void DrawKey(QPainter& p, const QColor& colour) {
    p.setPen(QPen(colour.darker(150), 1.0));
    p.setBrush(colour);
    p.drawEllipse(QRectF(1.5, 4.5, 7, 7));
    p.drawRect(QRectF(7.5, 7, 7, 2));
    p.drawRect(QRectF(11.5, 9, 1.5, 2.5));
    p.drawRect(QRectF(13, 9, 1.5, 3.5));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(3.5, 6.5, 3, 3));
}

void DrawFolder(QPainter& p) {
    p.setPen(QPen(QColor(150, 110, 20), 1.0));
    p.setBrush(QColor(245, 205, 90));
    QPainterPath path;
    path.moveTo(1.5, 3.5);
    path.lineTo(6, 3.5);
    path.lineTo(7.5, 5);
    path.lineTo(14.5, 5);
    path.lineTo(14.5, 13.5);
    path.lineTo(1.5, 13.5);
    path.closeSubpath();
    p.drawPath(path);
}

void DrawSafe(QPainter& p) {
    p.setPen(QPen(QColor(40, 40, 100), 1.0));
    p.setBrush(QColor(90, 90, 170));
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2, 2);
    p.setBrush(QColor(220, 220, 240));
    p.drawEllipse(QRectF(4.5, 4.5, 7, 7));
    p.drawLine(QPointF(8, 4.5), QPointF(8, 8));
}

void DrawPlus(QPainter& p, const QColor& colour, qreal x, qreal y, qreal size) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    const qreal bar = size / 3;
    p.drawRect(QRectF(x, y + bar, size, bar));
    p.drawRect(QRectF(x + bar, y, bar, size));
}

void DrawCross(QPainter& p) {
    p.setPen(QPen(QColor(200, 30, 30), 3.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

void DrawDisk(QPainter& p) {
    p.setPen(QPen(QColor(20, 40, 90), 1.0));
    p.setBrush(QColor(50, 90, 180));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4, 1.5, 8, 5));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(4, 9.5, 8, 5));
}

void DrawPencil(QPainter& p) {
    p.setPen(QPen(QColor(120, 80, 20), 1.0));
    p.setBrush(QColor(240, 190, 60));
    p.drawPolygon(QPolygonF(
        {QPointF(3, 13), QPointF(4, 10), QPointF(11.5, 2.5), QPointF(13.5, 4.5), QPointF(6, 12)}));
    p.setBrush(QColor(60, 60, 60));
    p.drawPolygon(QPolygonF({QPointF(3, 13), QPointF(3.6, 11.2), QPointF(4.8, 12.4)}));
}

// The context menu's pictures: the account's own picture with a plus for Add, a cross for
// Delete and a pencil for Rename. The greyed stand-ins share the pictures of their commands.
bool DrawMenuImage(int commandId, QPainter& p) {
    const QColor green(20, 150, 40);
    switch (commandId) {
    case ID_ADD_WEB_ACCOUNT:
        DrawGlobe(p, QColor(40, 110, 210));
        DrawPlus(p, green, 9, 9, 7);
        return true;
    case ID_ADD_EMAIL_ACCOUNT:
        DrawEnvelope(p, QColor(30, 70, 170));
        DrawPlus(p, green, 9, 9, 7);
        return true;
    case ID_ADD_OTHER_ACCOUNT:
        DrawKey(p, QColor(210, 160, 30));
        DrawPlus(p, green, 9, 9, 7);
        return true;
    case ID_DELETE_ACCOUNT:
    case ID_DELETE_ACCOUNT_OFF:
        DrawCross(p);
        return true;
    case ID_RENAME_ACCOUNT:
    case ID_RENAME_ACCOUNT_OFF:
        DrawPencil(p);
        return true;
    default:
        return false;
    }
}

bool Draw(int id, QPainter& p) {
    switch (id) {
    case IDB_TREE_ROOT:
        DrawSafe(p);
        return true;
    case IDB_TREE_CATEGORY:
        DrawFolder(p);
        return true;
    case IDB_TREE_WEB:
    case IDI_WEB_ACCOUNT:
        DrawGlobe(p, QColor(40, 110, 210));
        return true;
    case IDB_TREE_EMAIL:
    case IDI_EMAIL_ACCOUNT:
        DrawEnvelope(p, QColor(30, 70, 170));
        return true;
    case IDB_TREE_OTHER:
    case IDI_OTHER_ACCOUNT:
        DrawKey(p, QColor(210, 160, 30));
        return true;
    case IDI_ADD:
        DrawPlus(p, QColor(20, 150, 40), 2, 2, 12);
        return true;
    case IDI_ADD_MORE:
        DrawPlus(p, QColor(20, 150, 40), 1, 1, 9);
        DrawPlus(p, QColor(20, 120, 200), 7, 7, 8);
        return true;
    case IDI_DELETE:
        DrawCross(p);
        return true;
    case IDI_SAVE:
        DrawDisk(p);
        return true;
    default:
        return false;
    }
}
// Paints a picture drawn on a 16-unit grid at size pixels; null when draw knows no picture.
template <typename DrawFn> QPixmap Paint(int size, DrawFn draw) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);
    const bool known = draw(painter);
    painter.end();
    return known ? pixmap : QPixmap();
}
} // namespace

QPixmap PassViewPixmap(int resourceId, int size) {
    static QHash<qint64, QPixmap> cache;
    const qint64 key = (qint64(resourceId) << 16) | size;
    if (const auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    const QPixmap pixmap = Paint(size, [resourceId](QPainter& p) { return Draw(resourceId, p); });
    cache.insert(key, pixmap);
    return pixmap;
}

QIcon PassViewIcon(int resourceId) {
    QIcon icon;
    for (int size : {16, 24, 32}) {
        const QPixmap pixmap = PassViewPixmap(resourceId, size);
        if (!pixmap.isNull())
            icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon AccountMenuIcon(int commandId) {
    static QHash<int, QIcon> cache;
    if (const auto it = cache.constFind(commandId); it != cache.constEnd())
        return *it;
    QIcon icon;
    for (int size : {16, 32}) {
        const QPixmap pixmap =
            Paint(size, [commandId](QPainter& p) { return DrawMenuImage(commandId, p); });
        if (!pixmap.isNull())
            icon.addPixmap(pixmap);
    }
    cache.insert(commandId, icon);
    return icon;
}
