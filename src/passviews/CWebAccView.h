#pragma once

#include "CAccountForm.h"

// The form of one Web account: address, user id, password and notes.
class CWebAccView : public CAccountForm {
    Q_OBJECT
public:
    explicit CWebAccView(QWidget* parent = nullptr);

protected:
    const QString* AccountName(int slot) const override;
    QString* AccountField(int slot, int controlId) override;
    void SelectOwnCategory() override;
    // Deleting from this form leaves the document modified whatever the answer was.
    void OnDelete() override;
};
