#pragma once

#include "CAddAccountPage.h"

// The page that adds a new Other account under the name typed.
class OtherAccountsRootView : public CAddAccountPage {
    Q_OBJECT
public:
    explicit OtherAccountsRootView(QWidget* parent = nullptr);

protected:
    void AddAccount(const QString& name) override;
};
