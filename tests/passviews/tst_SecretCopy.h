#pragma once

#include "tst_ViewsFixture.h"

#include <QObject>

class TestSecretCopy : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void copyIsMarkedSecret_data();
    void copyIsMarkedSecret();
    void clearedWhenTheDelayEnds();
    void laterCopyIsLeftAlone();
    void copyAgainRestartsTheDelay();

private:
    ViewsFixture m_fx;
};
