#pragma once

#include "CPassFormView.h"
#include "WebAddress.h"

#include <QList>

class QLabel;

// The account forms' common part: one account of the form's list is current; its name shows in
// the name label and each field edits one text of the record as it is typed.
class CAccountForm : public CPassFormView {
    Q_OBJECT
public:
    // Shows the account in the slot and makes it current; an empty slot changes nothing.
    // Showing an account never changes the document's modified flag.
    void LoadAccount(int slot);

    // The slot of the account shown; 0 before the first load.
    int m_accountIndex = 0;

protected:
    CAccountForm(QSize designDlu, QWidget* parent);

    // The record's name in the slot, or null when the slot is empty.
    virtual const QString* AccountName(int slot) const = 0;
    // The record's text that the field with the control id edits, or null when the slot is
    // empty.
    virtual QString* AccountField(int slot, int controlId) = 0;

    // Builds the form from its controls: the title and name labels, the icon, then the edit
    // fields and labels in the order given, then the three buttons.
    struct Item {
        // SecretField: a password, copied to the clipboard marked as secret and cleared later.
        enum Kind { Label, Field, SecretField, NotesField };
        Kind kind;
        int id;
        const char* text;
        QRect dlu;
        // What Open URL takes from the field; a SecretField never opens.
        UrlRule url = UrlRule::InText;
    };
    struct Layout {
        int titleId;
        const char* title;
        QRect titleDlu;
        int nameId;
        QRect nameDlu;
        int iconId;
        QList<Item> items;
        int addMoreId, deleteId, saveId;
        int buttonsTop;
    };
    void Build(const Layout& layout);

    // The Delete button: the tree asks and deletes.
    virtual void OnDelete();
    void OnAddMore();
    void OnSave();
    void OnOpenUrl();
    // Whether the form offers Open URL: enabled while the focused field holds an address
    // under its rule.
    void AddOpenUrlCommand();

    // The category of the form in the tree, selected by Add More.
    virtual void SelectOwnCategory() = 0;

private:
    void OnFieldChanged(int controlId, CEditEx* edit);

    QLabel* m_nameLabel = nullptr;
    QList<QPair<int, CEditEx*>> m_fields;
    bool m_loading = false;
};
