#include "BlankRootView.h"

#include "CActivityHost.h"
#include "CLeftView.h"
#include "resource.h"

#include <QLabel>
#include <QPushButton>

BlankRootView::BlankRootView(QWidget* parent) : CPassFormView(QSize(189, 200), parent) {
    struct Entry {
        int id;
        const char* text;
        const char* tip;
        int top;
        int icon;
        void (CLeftView::*select)();
    };
    const Entry entries[] = {
        {IDC_BLANK_ADD_WEB, "Add new Web Account...", "Add new Web Account...", 35, IDI_WEB_ACCOUNT,
         &CLeftView::SelectWebCategory},
        {IDC_BLANK_ADD_EMAIL, "Add new Email Account...", "Add new Mail Account...", 68,
         IDI_EMAIL_ACCOUNT, &CLeftView::SelectEmailCategory},
        {IDC_BLANK_ADD_OTHER, "Add Other Accounts...", "Add Other Account...", 101,
         IDI_OTHER_ACCOUNT, &CLeftView::SelectOtherCategory},
    };
    for (const Entry& e : entries) {
        QPushButton* button = AddButton(e.id, tr(e.text), QRect(16, e.top, 142, 27), e.icon);
        button->setToolTip(tr(e.tip));
        button->setIconSize(QSize(24, 24));
        // The buttons' tone.
        QPalette palette = button->palette();
        palette.setColor(QPalette::ButtonText, QColor(55, 55, 255));
        button->setPalette(palette);
        const auto select = e.select;
        connect(button, &QPushButton::clicked, this, [this, select] {
            if (CLeftView* tree = GetLeftView())
                (tree->*select)();
            StampActivity();
        });
    }
    QLabel* title =
        AddLabel(IDC_BLANK_TITLE, tr("Add Accounts:"), QRect(15, 14, 93, 12), Qt::AlignHCenter);
    StyleLabel(title, QStringLiteral("Times New Roman"), 17, QColor(0, 0, 192));
}
