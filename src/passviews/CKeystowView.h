#pragma once

#include "CView.h"

#include <QWidget>

// The view class the passwords document type names. The frame builds its own views, so this
// one is never shown; it draws nothing and handles nothing.
class CKeystowView : public QWidget, public CView {
    Q_OBJECT
public:
    explicit CKeystowView(QWidget* parent = nullptr);
};
