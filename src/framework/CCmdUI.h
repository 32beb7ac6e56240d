#pragma once

#include <QString>

// The state one command should show in its menu items and toolbar buttons. An update pass
// hands one of these to the command targets in routing order; the first target that knows
// the command decides. A command nobody knows is shown disabled.
class CCmdUI {
public:
    explicit CCmdUI(int id) : m_nID(id) {}

    void Enable(bool on = true) { m_enabled = on; }
    void SetCheck(int check = 1) { m_checked = check != 0; }
    // Replaces the text of menu items (toolbar labels keep theirs).
    void SetText(const QString& text) {
        m_text = text;
        m_textSet = true;
    }

    int m_nID;
    bool m_enabled = false;
    bool m_checked = false;
    bool m_textSet = false;
    QString m_text;
};
