#pragma once

#include <QObject>

class TestCEditEx : public QObject {
    Q_OBJECT
private slots:
    void menuItems_data();
    void menuItems();
    void lineLengthOfMultiLineSelection();
    void coloursStartWithSystemAndReturnPrevious();
    void setFontHeights_data();
    void setFontHeights();
    void contextMenuRoutesChoice();
    void clearErasesOnlyTheSelection();
    void insideAViewTheRoutingDecides();
};
