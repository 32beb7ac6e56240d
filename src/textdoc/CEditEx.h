#pragma once

#include <QColor>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QUrl>

#include <functional>

class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QWidget;

// The edit field of the account forms: its own colours and font, and a context menu whose
// items are application commands. It attaches to a single-line or a multi-line field and lives
// as long as that field. The menu only offers commands; whoever holds the field handles them.
class CEditEx : public QObject {
    Q_OBJECT
public:
    explicit CEditEx(QLineEdit* edit);
    explicit CEditEx(QPlainTextEdit* edit);

    QWidget* Widget() const;

    // height in pixels (negative: the character height, positive: the cell height), weight
    // normal; pitchAndFamily as the old font flags (low bits pitch, high nibble family).
    void SetFont(int height, int pitchAndFamily, const QString& faceName);
    QColor SetBkColor(const QColor& colour);
    QColor SetTextColor(const QColor& colour);
    QColor BkColor() const { return m_bkColour; }
    QColor TextColor() const { return m_textColour; }

    // Characters on the lines of the selection that are not selected; for a single-line field
    // the length of its text.
    int LineLength() const;
    // Line 0, at most 255 characters.
    QString FirstLine() const;
    bool HasSelection() const;
    // "http://" with at least 8 characters on the selection's lines, "https://" with at least 9.
    static bool UrlTest(const QString& firstLine, int lineLength);

    // Finds the address "Go to the URL..." would open from the field's first line. With a
    // finder set, the menu offers the item exactly when it finds one, whatever is selected;
    // without one the item follows UrlTest.
    using UrlFinder = std::function<QUrl(const QString& firstLine)>;
    void SetUrlFinder(UrlFinder finder) { m_urlFinder = std::move(finder); }
    // The address the finder gives for the field now; empty without a finder.
    QUrl UrlTarget() const;

    // The menu as it stands now; each action carries its command id in data(). Ids that no
    // handler serves (119, 120, 123) are disabled.
    QMenu* CreateContextMenu(QWidget* parent) const;
    void ShowContextMenu(const QPoint& globalPos);

    // A secret field (a password) copies with CSecretClipboard: marked for clipboard managers
    // and cleared again later. Single-line fields only.
    void SetSecret(bool secret) { m_secret = secret; }
    bool IsSecret() const { return m_secret; }

    // Acts on this field for the edit commands (undo, cut, copy, paste, clear, select all);
    // false for any other id.
    bool ExecuteCommand(int id);
    // Whether the edit command could act now (undo available, text selected, ...).
    bool CanExecute(int id) const;

    // Where chosen menu commands go before the ordinary route (the main frame's routing for a
    // field inside a document view); a field nobody serves acts on its own commands.
    using Router = std::function<bool(int id)>;
    static void SetCommandRouter(Router router);

signals:
    // A menu choice, before it is routed.
    void CommandChosen(int id);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Init();
    void ApplyColours();
    void Dispatch(int id);
    bool CopySecret();

    QLineEdit* m_line = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QColor m_textColour;
    QColor m_bkColour;
    bool m_secret = false;
    UrlFinder m_urlFinder;
};
