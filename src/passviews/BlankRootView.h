#pragma once

#include "CPassFormView.h"

// The "Add Accounts:" page shown for the tree's root: three buttons leading to the add pages.
class BlankRootView : public CPassFormView {
    Q_OBJECT
public:
    explicit BlankRootView(QWidget* parent = nullptr);
};
