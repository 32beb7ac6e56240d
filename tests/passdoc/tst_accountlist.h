#pragma once

#include <QObject>

class TestAccountList : public QObject {
    Q_OBJECT
private slots:
    void slotsAreNeverReused();
    void outOfRangeSlots_data();
    void outOfRangeSlots();
    void recordsStayInPlace();
    void editInPlace();
};
