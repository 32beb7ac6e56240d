#pragma once

#include "tst_ViewsFixture.h"

#include <QObject>

class TestAddPages : public QObject {
    Q_OBJECT
private slots:
    void init() { m_fx.Init(); }
    void cleanup() { m_fx.Cleanup(); }
    void addAccountOfEachKind_data();
    void addAccountOfEachKind();
    void cancelReturnsToTheRootAndMarksModified_data();
    void cancelReturnsToTheRootAndMarksModified();

private:
    ViewsFixture m_fx;
};
