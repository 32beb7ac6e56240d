#include "TextPrinting.h"

#include <QFont>
#include <QMarginsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QStringList>
#include <QTextLayout>
#include <QTextOption>

void SetTextPrintMargins(QPrinter* printer) {
    printer->setFullPage(false);
    printer->setPageMargins(QMarginsF(0.5, 0.5, 0.5, 0.5), QPageLayout::Inch);
}

int PrintPlainText(QPrinter* printer, const QString& text, const QFont& font) {
    QPainter painter;
    if (!painter.begin(printer))
        return 0;
    const QRectF page = printer->pageRect(QPrinter::DevicePixel);
    const qreal width = page.width();
    const qreal height = page.height();
    // Point sizes follow the printer's resolution once the font belongs to its device.
    const QFont printFont(font, printer);
    painter.setFont(printFont);
    painter.setPen(Qt::black);

    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(printer->resolution() / 2.0);

    int pages = 1;
    qreal y = 0;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        QTextLayout layout(line, printFont, printer);
        layout.setTextOption(option);
        layout.beginLayout();
        QList<QTextLine> laid;
        for (QTextLine tl = layout.createLine(); tl.isValid(); tl = layout.createLine()) {
            tl.setLineWidth(width);
            laid << tl;
        }
        layout.endLayout();
        for (QTextLine& tl : laid) {
            if (y > 0 && y + tl.height() > height) {
                printer->newPage();
                ++pages;
                y = 0;
            }
            // Each line is drawn on the page it was placed on.
            tl.setPosition(QPointF(0, y));
            tl.draw(&painter, QPointF(0, 0));
            y += tl.height();
        }
    }
    painter.end();
    return pages;
}
