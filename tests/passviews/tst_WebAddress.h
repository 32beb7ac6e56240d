#pragma once

#include <QObject>

class TestWebAddress : public QObject {
    Q_OBJECT
private slots:
    void acceptsOnlyWebAddresses_data();
    void acceptsOnlyWebAddresses();
};
