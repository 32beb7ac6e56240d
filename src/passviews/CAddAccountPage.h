#pragma once

#include "CPassFormView.h"

class CEditEx;
class QLineEdit;
class QPushButton;

// The add pages' common part: a name box, Add (enabled while the box holds text) and Cancel.
class CAddAccountPage : public CPassFormView {
    Q_OBJECT
public:
    QLineEdit* NameBox() const { return m_nameBox; }
    QPushButton* AddAccountButton() const { return m_add; }
    QPushButton* CancelButton() const { return m_cancel; }

protected:
    struct Ids {
        int name, title, caption, add, cancel;
    };
    CAddAccountPage(QSize designDlu, const Ids& ids, const QString& title, const QString& addText,
                    QWidget* parent);

    // Creates the account in the tree.
    virtual void AddAccount(const QString& name) = 0;

private:
    void OnNameChanged();
    void OnAdd();
    void OnCancel();

    QLineEdit* m_nameBox = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_cancel = nullptr;
};
