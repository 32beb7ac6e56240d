#pragma once

#include "CAccountForm.h"

// The form of one Other account: description, PIN and notes. It has no Open URL.
class COtherAccView : public CAccountForm {
    Q_OBJECT
public:
    explicit COtherAccView(QWidget* parent = nullptr);

protected:
    const QString* AccountName(int slot) const override;
    QString* AccountField(int slot, int controlId) override;
    void SelectOwnCategory() override;
};
