#pragma once

#include "CAddAccountPage.h"

// The page that adds a new Email account under the name typed.
class EMailAccountsRootView : public CAddAccountPage {
    Q_OBJECT
public:
    explicit EMailAccountsRootView(QWidget* parent = nullptr);

protected:
    void AddAccount(const QString& name) override;
};
