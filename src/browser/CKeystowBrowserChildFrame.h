#pragma once

#include "CDocument.h"
#include "CMDIChildWnd.h"

class CAddressBox;
class CKeystowBrowserView;
class QAction;
class QLineEdit;
class QShortcut;
class QToolBar;

// A browser window: above its view a bar with the address box and the Back, Forward, Stop,
// Refresh and Home buttons. Back and Forward carry a command nobody handles while there is
// nowhere to go, which shows them greyed. The address box lists the shared address history.
class CKeystowBrowserChildFrame : public CMDIChildWnd {
    Q_OBJECT
public:
    explicit CKeystowBrowserChildFrame(QWidget* parent = nullptr);

    bool OnCreateClient(CDocument* doc, const ViewFactory& viewFactory) override;

    // Shows url in the address field, leaving the list alone. Our own pages (any "res://"
    // address, the bundled start page) and the engine's error pages leave the field empty.
    void SetAddressText(const QString& url);
    void EnableBack(bool enable);
    void EnableForward(bool enable);
    // Esc stops the page only while it loads; otherwise the key goes to the page.
    void SetLoading(bool loading);

    // Focus in the address field with its whole text selected.
    void FocusAddress();

    CKeystowBrowserView* BrowserView() const { return m_view; }
    CAddressBox* AddressBox() const { return m_address; }
    QLineEdit* AddressField() const;
    // Whether the keyboard focus is in the address box (the box or its field).
    bool AddressHasFocus() const;
    // The command id each toolbar button carries now, left to right.
    int ButtonCommand(int index) const;
    QAction* ButtonAction(int index) const;

private:
    void OnAddressEntered(const QString& text);
    void OnAddressChosen(const QString& url);
    void SetButtonCommand(int index, int id);
    void UpdateButtons();
    void RunViewCommand(int id);
    void TogglePane();

    CKeystowBrowserView* m_view = nullptr;
    CAddressBox* m_address = nullptr;
    QToolBar* m_toolBar = nullptr;
    QList<QAction*> m_buttons;
    QShortcut* m_stopKey = nullptr;
};
