#pragma once

#include "CAddAccountPage.h"

// The page that adds a new Web account under the name typed.
class WebAccountsRootView : public CAddAccountPage {
    Q_OBJECT
public:
    explicit WebAccountsRootView(QWidget* parent = nullptr);

protected:
    void AddAccount(const QString& name) override;
};
