#pragma once

#include "CAccountForm.h"

// The form of one Email account: address, web-mail address, user id, password, servers, notes.
class CMailAccView : public CAccountForm {
    Q_OBJECT
public:
    explicit CMailAccView(QWidget* parent = nullptr);

protected:
    const QString* AccountName(int slot) const override;
    QString* AccountField(int slot, int controlId) override;
    void SelectOwnCategory() override;
};
