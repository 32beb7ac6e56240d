#pragma once

#include "tst_ViewsFixture.h"

#include <QObject>

class TestViewActivity : public QObject {
    Q_OBJECT
private slots:
    void init() { m_fx.Init(); }
    void cleanup();
    void actionsStampActivity_data();
    void actionsStampActivity();

private:
    ViewsFixture m_fx;
};
